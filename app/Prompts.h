#pragma once
// Every modal interaction of the program goes through one IPrompts object: file and folder
// dialogs, message boxes, the overwrite question and the program's own modal dialogs. The
// default (QtPrompts) opens the real Qt dialogs; tests install their own object with
// SetPrompts and script the answers, so no test ever waits on a modal loop. The installed
// object is not owned and must outlive its use; GUI thread only.

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <functional>

class QDialog;
class QWidget;

// How a save dialog treats the chosen name.
struct SaveFileOptions {
    // The dialog asks before an existing file is chosen; a caller that must check the file
    // first (is it one of its inputs?) asks itself afterwards.
    bool confirmOverwrite = true;
    // Added to a name that has no extension, before the dialog's own question.
    QString defaultSuffix;
};

// The chosen name with "." and the suffix added when it has none, so that a file saved as "notes"
// is still listed by the dialogs that show files by their extension.
QString WithDefaultSuffix(const QString& path, const QString& suffix);

// Lets whoever asks a question close it while it is open, from a slot that runs in the
// question's event loop (a job that ends meanwhile): the question then returns as one closed
// without an answer. The prompts set `close` for as long as the question is open.
// The answer of a question closed without a button: Cancel where it offers one, else No.
inline QMessageBox::StandardButton EscapeAnswer(QMessageBox::StandardButtons buttons)
{
    return buttons.testFlag(QMessageBox::Cancel) ? QMessageBox::Cancel : QMessageBox::No;
}

class QuestionCloser {
public:
    bool IsOpen() const { return bool(close); }
    void Close()
    {
        if (close)
            close();
    }

    std::function<void()> close;
};

class IPrompts {
public:
    virtual ~IPrompts() = default;

    // File and folder dialogs; an empty result (empty list) when the user cancels.
    virtual QStringList OpenFileNames(QWidget* parent, const QString& caption, const QString& folder,
                                      const QString& filter) = 0;
    virtual QString OpenFileName(QWidget* parent, const QString& caption, const QString& folder,
                                 const QString& filter) = 0;
    virtual QString SaveFileName(QWidget* parent, const QString& caption, const QString& folder,
                                 const QString& filter, const SaveFileOptions& options = SaveFileOptions()) = 0;
    virtual QString ExistingFolder(QWidget* parent, const QString& caption, const QString& folder) = 0;

    // Message boxes with one OK button: information reports success, warning reports failure.
    // The real ones (MessageDialog) scroll a text too long for the screen, such as a list of files.
    virtual void Information(QWidget* parent, const QString& title, const QString& text) = 0;
    virtual void Warning(QWidget* parent, const QString& title, const QString& text) = 0;
    // A question with the question icon; the button pressed, or the box's escape button
    // (Cancel where offered, else No) when it was closed without one. defaultButton may be
    // QMessageBox::NoButton. A null parent makes a box that is not tied to any window. A closer,
    // when given, can close the question from outside while it is open.
    virtual QMessageBox::StandardButton Question(QWidget* parent, const QString& title, const QString& text,
                                                 QMessageBox::StandardButtons buttons,
                                                 QMessageBox::StandardButton defaultButton,
                                                 QuestionCloser* closer = nullptr) = 0;

    // The overwrite question for one existing target; an OverwriteDecision value 1 to 4
    // (No when the question was closed without an answer).
    virtual int AskOverwrite(QWidget* parent, const QString& filePath) = 0;

    // Runs one of the program's own modal dialogs (About box, page settings ...) and returns
    // its result code (QDialog::Accepted or QDialog::Rejected).
    virtual int RunDialog(QDialog& dialog) = 0;
};

// The real dialogs, each placed over its window (PlaceWindow) before it opens.
class QtPrompts : public IPrompts {
public:
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
};

// The prompts in use: the one installed by SetPrompts, else a process-wide QtPrompts.
IPrompts& Prompts();

// The save dialog's choice through Prompts(), with WithDefaultSuffix of options.defaultSuffix.
QString SaveFileNameWithSuffix(QWidget* parent, const QString& caption, const QString& folder, const QString& filter,
                               const SaveFileOptions& options);
// Installs prompts (not owned); null goes back to the real dialogs.
void SetPrompts(IPrompts* prompts);

// Opens a chosen output file for reading and writing, as a test that no other program holds it;
// when it cannot be opened, warns "The file you are trying to overwrite is opened in another
// application." titled "Export failed" and answers false. An empty file that the test itself
// made is removed again; an existing file is left as it was.
bool TestOpenTarget(QWidget* parent, const QString& path);
