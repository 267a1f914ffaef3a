#include "app/support/ScriptedPrompts.h"

#include "app/tools/OverwriteDecision.h"

#include <QDialog>

ScriptedPrompts::ScriptedPrompts()
{
    SetPrompts(this);
}

ScriptedPrompts::~ScriptedPrompts()
{
    SetPrompts(nullptr);
}

void ScriptedPrompts::Add(const QString& kind, QWidget* parent, const QString& title, const QString& text)
{
    Record record;
    record.kind = kind;
    record.title = title;
    record.text = text;
    record.parent = parent;
    record.hadParent = parent != nullptr;
    records.append(record);
}

QList<ScriptedPrompts::Record> ScriptedPrompts::Of(const QString& kind) const
{
    QList<Record> found;
    for (const Record& record : records)
        if (record.kind == kind)
            found.append(record);
    return found;
}

QStringList ScriptedPrompts::OpenFileNames(QWidget* parent, const QString& caption, const QString& folder,
                                           const QString& filter)
{
    Add(QStringLiteral("openFileNames"), parent, caption, folder);
    records.last().filter = filter;
    return openFileNamesAnswers.isEmpty() ? QStringList() : openFileNamesAnswers.takeFirst();
}

QString ScriptedPrompts::OpenFileName(QWidget* parent, const QString& caption, const QString& folder,
                                      const QString& filter)
{
    Add(QStringLiteral("openFileName"), parent, caption, folder);
    records.last().filter = filter;
    return fileNameAnswers.isEmpty() ? QString() : fileNameAnswers.takeFirst();
}

QString ScriptedPrompts::SaveFileName(QWidget* parent, const QString& caption, const QString& folder,
                                      const QString& filter, const SaveFileOptions& options)
{
    Add(QStringLiteral("saveFileName"), parent, caption, folder);
    records.last().filter = filter;
    records.last().saveOptions = options;
    return fileNameAnswers.isEmpty() ? QString() : fileNameAnswers.takeFirst();
}

QString ScriptedPrompts::ExistingFolder(QWidget* parent, const QString& caption, const QString& folder)
{
    Add(QStringLiteral("existingFolder"), parent, caption, folder);
    return folderAnswers.isEmpty() ? QString() : folderAnswers.takeFirst();
}

void ScriptedPrompts::Information(QWidget* parent, const QString& title, const QString& text)
{
    Add(QStringLiteral("information"), parent, title, text);
}

void ScriptedPrompts::Warning(QWidget* parent, const QString& title, const QString& text)
{
    Add(QStringLiteral("warning"), parent, title, text);
}

QMessageBox::StandardButton ScriptedPrompts::Question(QWidget* parent, const QString& title, const QString& text,
                                                      QMessageBox::StandardButtons buttons,
                                                      QMessageBox::StandardButton defaultButton,
                                                      QuestionCloser* closer)
{
    Add(QStringLiteral("question"), parent, title, text);
    const int record = records.size() - 1;
    records[record].buttons = buttons;
    records[record].defaultButton = defaultButton;
    const QMessageBox::StandardButton escape = EscapeAnswer(buttons);
    openQuestionClosed = false;
    if (closer)
        closer->close = [this]() { openQuestionClosed = true; };
    if (whileQuestionOpen)
        whileQuestionOpen();
    if (closer)
        closer->close = nullptr;
    if (openQuestionClosed) {
        records[record].closedFromOutside = true;
        return escape;
    }
    if (!questionAnswers.isEmpty())
        return questionAnswers.takeFirst();
    return escape;
}

int ScriptedPrompts::AskOverwrite(QWidget* parent, const QString& filePath)
{
    Add(QStringLiteral("overwrite"), parent, QString(), filePath);
    return overwriteAnswers.isEmpty() ? int(OverwriteDecision::No) : overwriteAnswers.takeFirst();
}

int ScriptedPrompts::RunDialog(QDialog& dialog)
{
    Add(QStringLiteral("dialog"), dialog.parentWidget(), dialog.windowTitle(),
        QString::fromLatin1(dialog.metaObject()->className()));
    return dialogHandler ? dialogHandler(dialog) : int(QDialog::Rejected);
}
