#include "app/Prompts.h"

#include "app/MessageDialog.h"
#include "app/WindowPlacement.h"
#include "app/tools/OverwriteDialog.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QFileDialog>
#include <QScopeGuard>

namespace {

IPrompts* sInstalled = nullptr;

// A message box sizes itself only as it is shown: it is placed then, before it appears.
class PlacedMessageBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* event) override
    {
        QMessageBox::showEvent(event);
        PlaceWindow(this);
    }
};

} // namespace

IPrompts& Prompts()
{
    static QtPrompts realDialogs;
    return sInstalled ? *sInstalled : realDialogs;
}

void SetPrompts(IPrompts* prompts)
{
    sInstalled = prompts;
}

QString WithDefaultSuffix(const QString& path, const QString& suffix)
{
    if (path.isEmpty() || suffix.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    return path + (path.endsWith(QLatin1Char('.')) ? QString() : QStringLiteral(".")) + suffix;
}

QString SaveFileNameWithSuffix(QWidget* parent, const QString& caption, const QString& folder, const QString& filter,
                               const SaveFileOptions& options)
{
    return WithDefaultSuffix(Prompts().SaveFileName(parent, caption, folder, filter, options), options.defaultSuffix);
}

QStringList QtPrompts::OpenFileNames(QWidget* parent, const QString& caption, const QString& folder,
                                     const QString& filter)
{
    return QFileDialog::getOpenFileNames(parent, caption, folder, filter);
}

QString QtPrompts::OpenFileName(QWidget* parent, const QString& caption, const QString& folder,
                                const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, caption, folder, filter);
}

QString QtPrompts::SaveFileName(QWidget* parent, const QString& caption, const QString& folder,
                                const QString& filter, const SaveFileOptions& options)
{
    QFileDialog dialog(parent, caption, folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(options.defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !options.confirmOverwrite);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.selectedFiles().value(0);
}

QString QtPrompts::ExistingFolder(QWidget* parent, const QString& caption, const QString& folder)
{
    return QFileDialog::getExistingDirectory(parent, caption, folder, QFileDialog::ShowDirsOnly);
}

void QtPrompts::Information(QWidget* parent, const QString& title, const QString& text)
{
    MessageDialog box(QMessageBox::Information, title, text, parent);
    RunDialog(box);
}

void QtPrompts::Warning(QWidget* parent, const QString& title, const QString& text)
{
    MessageDialog box(QMessageBox::Warning, title, text, parent);
    RunDialog(box);
}

QMessageBox::StandardButton QtPrompts::Question(QWidget* parent, const QString& title, const QString& text,
                                                QMessageBox::StandardButtons buttons,
                                                QMessageBox::StandardButton defaultButton, QuestionCloser* closer)
{
    PlacedMessageBox box(QMessageBox::Question, title, text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    if (closer) {
        closer->close = [&box, escape = EscapeAnswer(buttons)]() { box.done(escape); };
    }
    const auto closed = qScopeGuard([closer]() {
        if (closer)
            closer->close = nullptr;
    });
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

int QtPrompts::AskOverwrite(QWidget* parent, const QString& filePath)
{
    OverwriteDialog dialog(parent);
    dialog.filePath = filePath;
    RunDialog(dialog);
    return dialog.answer;
}

int QtPrompts::RunDialog(QDialog& dialog)
{
    PlaceWindow(&dialog);
    return dialog.exec();
}

bool TestOpenTarget(QWidget* parent, const QString& path)
{
    const bool existed = QFileInfo::exists(path);
    QFile target(path);
    if (!target.open(QIODevice::ReadWrite)) {
        Prompts().Warning(parent, QCoreApplication::translate("Prompts", "Export failed"),
                          QCoreApplication::translate(
                              "Prompts", "The file you are trying to overwrite is opened in another application."));
        return false;
    }
    target.close();
    if (!existed)
        target.remove();
    return true;
}
