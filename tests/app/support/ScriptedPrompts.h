#pragma once
// Prompts for tests: installed for its lifetime (SetPrompts), it records every modal
// interaction in order and answers from scripted queues, front first. An empty queue answers
// like a user who cancels: no file, no folder, the question's escape button (Cancel where
// offered, else No), No to the overwrite question, a rejected dialog.

#include "app/Prompts.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>

class ScriptedPrompts : public IPrompts {
public:
    struct Record {
        QString kind;   // "openFileNames", "openFileName", "saveFileName", "existingFolder",
                        // "information", "warning", "question", "overwrite", "dialog"
        QString title;  // caption or box title; the window title of a dialog
        QString text;   // message text; the start folder of a file dialog; the path of an
                        // overwrite question; the class name of a dialog
        QPointer<QWidget> parent;
        bool hadParent = false;
        QString filter;                        // the filter of a file dialog
        QMessageBox::StandardButtons buttons;  // the buttons of a question
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
        SaveFileOptions saveOptions;           // the options of a save dialog
        bool closedFromOutside = false;        // a question its asker closed while it was open
    };

    ScriptedPrompts();
    ~ScriptedPrompts() override;

    QList<Record> records;

    QList<QStringList> openFileNamesAnswers;
    QStringList fileNameAnswers; // open and save dialogs alike
    QStringList folderAnswers;
    QList<QMessageBox::StandardButton> questionAnswers;
    QList<int> overwriteAnswers;
    // Runs while a question is open, before it is answered (as a user who waits); a question
    // that its closer closes meanwhile (openQuestionClosed) answers its escape button.
    std::function<void()> whileQuestionOpen;
    bool openQuestionClosed = false;
    // Runs the program's own dialogs (which are not executed); by default they are rejected.
    std::function<int(QDialog&)> dialogHandler;

    // The records of one kind, in order.
    QList<Record> Of(const QString& kind) const;

    QStringList OpenFileNames(QWidget* parent, const QString& caption, const QString& folder,
                              const QString& filter) override;
    QString OpenFileName(QWidget* parent, const QString& caption, const QString& folder,
                         const QString& filter) override;
    QString SaveFileName(QWidget* parent, const QString& caption, const QString& folder,
                         const QString& filter, const SaveFileOptions& options = SaveFileOptions()) override;
    QString ExistingFolder(QWidget* parent, const QString& caption, const QString& folder) override;
    void Information(QWidget* parent, const QString& title, const QString& text) override;
    void Warning(QWidget* parent, const QString& title, const QString& text) override;
    QMessageBox::StandardButton Question(QWidget* parent, const QString& title, const QString& text,
                                         QMessageBox::StandardButtons buttons,
                                         QMessageBox::StandardButton defaultButton,
                                         QuestionCloser* closer = nullptr) override;
    int AskOverwrite(QWidget* parent, const QString& filePath) override;
    int RunDialog(QDialog& dialog) override;

private:
    void Add(const QString& kind, QWidget* parent, const QString& title, const QString& text);
};
