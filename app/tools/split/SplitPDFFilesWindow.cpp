#include "app/tools/split/SplitPDFFilesWindow.h"

#include "app/AppSettings.h"
#include "app/Prompts.h"
#include "app/SetModifiedMarker.h"
#include "app/SharedHelpers.h"
#include "app/tools/PageRanges.h"
#include "app/tools/split/SplitThread.h"
#include "ui_SplitPDFFilesWindow.h"

#include <QDir>
#include <QMenu>


namespace {

FileToolWindow::Texts SplitTexts()
{
    FileToolWindow::Texts texts;
    texts.title = SplitPDFFilesWindow::tr("Split PDF Documents");
    texts.addingStatus = SplitPDFFilesWindow::tr("Updating PDF file list...");
    texts.runningStatus = SplitPDFFilesWindow::tr("Splitting documents. Please wait...");
    texts.interruption = SplitPDFFilesWindow::tr(
        "Exiting now will interrupt the splitting process and could lead to corrupt output files. Are you sure you "
        "want exit?");
    texts.projectFilter = SplitPDFFilesWindow::tr("Split PDF Project (*.spf)");
    texts.projectExtension = QStringLiteral("spf");
    texts.projectsFolderName = QStringLiteral("Split");
    texts.helpPage = QStringLiteral("/support-split.php");
    texts.blankDocumentInfo = SplitPDFFilesWindow::tr("Number of Pages:\nEncrypted:\nFile Size:");
    return texts;
}

const char kEndOfList[] = "EndOfList";
constexpr int kMaxPagesPerInterval = 1000;

QString DefaultOutputFolder()
{
    return QDir::fromNativeSeparators(AppSettings::Folder(QLatin1String(SettingsKey::SplitPDFOutputFolder)));
}

} // namespace

SplitPDFFilesWindow::SplitPDFFilesWindow(QWidget* parent)
    : FileToolWindow(SplitTexts(), parent), ui(new Ui::SplitPDFFilesWindow)
{
    ui->setupUi(this);
    SetUpFrame(ui->progressSplit, ui->buttonSplitFiles);

    tokenMenu = new QMenu(this);
    const struct {
        const char* text;
        const char* name;
        void (SplitPDFFilesWindow::*slot)();
    } tokens[] = {{QT_TR_NOOP("File Name"), "actionFileName", &SplitPDFFilesWindow::OnFileName},
                  {QT_TR_NOOP("Interval Index"), "actionIntervalIndex", &SplitPDFFilesWindow::OnIntervalIndex},
                  {QT_TR_NOOP("Interval Start"), "actionIntervalStart", &SplitPDFFilesWindow::OnIntervalStart},
                  {QT_TR_NOOP("Interval End"), "actionIntervalEnd", &SplitPDFFilesWindow::OnIntervalEnd}};
    for (const auto& token : tokens) {
        QAction* action = tokenMenu->addAction(tr(token.text));
        action->setObjectName(QLatin1String(token.name));
        connect(action, &QAction::triggered, this, token.slot);
    }
    ResetSettings();
}

SplitPDFFilesWindow::~SplitPDFFilesWindow()
{
    ReleaseThread();
    delete ui;
}

ToolThread* SplitPDFFilesWindow::CreateThread()
{
    auto* job = new SplitThread;
    ConnectEngine(&job->engine);
    return job;
}

SplitThread* SplitPDFFilesWindow::Thread()
{
    return static_cast<SplitThread*>(JobThread());
}

// ---- Settings ----

void SplitPDFFilesWindow::ResetToolSettings()
{
    mode = ConsecutivePageSplit;
    pagesPerInterval = 1;
    pageIntervals = QStringLiteral("[1-4],5,[6-9]");
    outputNames = QStringLiteral("[FileName](Page[IntervalIndex])");
    outputFolder = DefaultOutputFolder();
    ApplySettingsToUi();
}

void SplitPDFFilesWindow::ApplySettingsToUi()
{
    const QSignalBlocker quietPage(ui->radioPageSplit);
    const QSignalBlocker quietInterval(ui->radioIntervalSplit);
    const QSignalBlocker quietSpin(ui->spinPagesPerInterval);
    const QSignalBlocker quietIntervals(ui->editIntervals);
    const QSignalBlocker quietNames(ui->editOutputNames);
    ui->radioPageSplit->setChecked(mode == ConsecutivePageSplit);
    ui->radioIntervalSplit->setChecked(mode == IntervalSplit);
    ui->spinPagesPerInterval->setValue(pagesPerInterval);
    ui->editIntervals->setText(pageIntervals);
    ui->editOutputNames->setText(outputNames);
    ui->editOutputFolder->setText(QDir::toNativeSeparators(outputFolder));
}

void SplitPDFFilesWindow::on_radioPageSplit_clicked(bool checked)
{
    ui->radioIntervalSplit->setChecked(!checked);
    mode = checked ? ConsecutivePageSplit : IntervalSplit;
    SetModifiedMarker(this, true);
}

void SplitPDFFilesWindow::on_radioIntervalSplit_clicked(bool checked)
{
    ui->radioPageSplit->setChecked(!checked);
    mode = checked ? IntervalSplit : ConsecutivePageSplit;
    SetModifiedMarker(this, true);
}

void SplitPDFFilesWindow::on_spinPagesPerInterval_valueChanged(int value)
{
    pagesPerInterval = value;
    SetModifiedMarker(this, true);
}

void SplitPDFFilesWindow::on_editIntervals_textChanged(const QString& text)
{
    pageIntervals = text;
    SetModifiedMarker(this, true);
}

void SplitPDFFilesWindow::on_editOutputNames_textChanged(const QString& text)
{
    outputNames = CheckOutputNames(ui->editOutputNames, text);
}

void SplitPDFFilesWindow::on_buttonBrowse_clicked()
{
    BrowseOutputFolder(SettingsKey::SplitPDFOutputFolder, outputFolder, ui->editOutputFolder);
}

void SplitPDFFilesWindow::on_buttonAddToken_clicked()
{
    tokenMenu->popup(ui->buttonAddToken->mapToGlobal(QPoint(ui->buttonAddToken->width(), 0)));
}

void SplitPDFFilesWindow::OnFileName()
{
    ui->editOutputNames->insert(QStringLiteral("[FileName]"));
}

void SplitPDFFilesWindow::OnIntervalIndex()
{
    ui->editOutputNames->insert(QStringLiteral("[IntervalIndex]"));
}

void SplitPDFFilesWindow::OnIntervalStart()
{
    ui->editOutputNames->insert(QStringLiteral("[IntervalStart]"));
}

void SplitPDFFilesWindow::OnIntervalEnd()
{
    ui->editOutputNames->insert(QStringLiteral("[IntervalEnd]"));
}

// ---- The job ----

void SplitPDFFilesWindow::on_buttonSplitFiles_clicked()
{
    if (fileEntries.isEmpty()) {
        Prompts().Warning(this, QString(), tr("There are no files to split."));
        return;
    }
    if (IsWorking() || IsAdding())
        return;
    // A text that names no page would split nothing; said now, not after the job.
    if (mode == IntervalSplit && ReadPageRanges(pageIntervals).intervals.isEmpty()) {
        Prompts().Warning(this, QString(),
                          tr("The page intervals \"%1\" name no page. Please give page numbers or ranges "
                             "separated by commas, such as [1-4],5,[6-9].")
                              .arg(QuotedExcerpt(pageIntervals)));
        return;
    }
    SplitThread* job = Thread();
    const QStringList paths = FilePaths();
    if (mode == IntervalSplit) {
        if (paths.size() > 1)
            Prompts().Information(this, QString(),
                                  tr("You can only split a single document using page intervals. Note that only the "
                                     "first document will be split."));
        job->sourceFile = paths.first();
        job->pageIntervals = pageIntervals;
        job->SetFiles(QStringList());
    } else {
        job->SetFiles(paths);
        job->pagesPerInterval = pagesPerInterval;
        job->sourceFile.clear();
    }
    job->mode = mode;
    job->outputNames = outputNames;
    job->outputFolder = outputFolder;
    StartJob();
}

void SplitPDFFilesWindow::ReportFinishedJob()
{
    SplitThread* job = Thread();
    // Items of the page intervals that named nothing were passed over: the user hears which.
    QString note;
    if (job->mode == IntervalSplit) {
        QStringList skipped;
        for (const QString& item : ReadPageRanges(job->pageIntervals).skipped)
            skipped << QLatin1Char('"') + QuotedExcerpt(item) + QLatin1Char('"');
        if (!skipped.isEmpty())
            note = tr("These items of the page intervals name no page and were skipped: %1")
                       .arg(skipped.join(QStringLiteral(", ")));
    }
    ReportFailedSources(job->GetFailures(), tr("Documents split successfully."),
                        tr("The following PDF documents could not be split:\n\n"), note);
}

// ---- Projects ----

QString SplitPDFFilesWindow::ProjectText() const
{
    QString text;
    for (const FileEntry& entry : fileEntries)
        text += entry.path + QLatin1Char('\n');
    text += QLatin1String(kEndOfList) + QLatin1Char('\n');
    text += QString::number(mode) + QLatin1Char('\n');
    text += QString::number(pagesPerInterval) + QLatin1Char('\n');
    text += pageIntervals + QLatin1Char('\n');
    text += outputNames + QLatin1Char('\n');
    text += outputFolder; // the last line has no line end
    return text;
}

bool SplitPDFFilesWindow::ApplyProject(const QStringList& lines)
{
    // A file that ends before its list does is no split project.
    const int end = lines.indexOf(QLatin1String(kEndOfList));
    // Mode, pages per interval, page ranges and names follow the list; an empty output folder,
    // the last line, leaves no line behind.
    if (end < 0 || lines.size() < end + 5 || HoldsControlCharacter(lines.at(end + 4)) ||
        HoldsControlCharacter(lines.value(end + 5)))
        return false;
    QList<FileEntry> entries;
    if (!EntriesFromProjectLines(lines.mid(0, end), entries))
        return false;

    QStringList problems;
    bool number = false;
    const int projectMode = lines.at(end + 1).toInt(&number);
    const bool modeUsable = number && (projectMode == ConsecutivePageSplit || projectMode == IntervalSplit);
    if (!modeUsable)
        problems << tr("The split mode \"%1\" is unknown; consecutive page split is used.")
                        .arg(QuotedExcerpt(lines.at(end + 1)));
    // The engine needs at least one page per part, and the spin box shows no more than 1000.
    const int projectPages = lines.at(end + 2).toInt(&number);
    const bool pagesUsable = number && projectPages >= 1 && projectPages <= kMaxPagesPerInterval;
    if (!pagesUsable)
        problems << tr("Pages per interval must be a number from 1 to %1, not \"%2\"; 1 is used.")
                        .arg(kMaxPagesPerInterval)
                        .arg(QuotedExcerpt(lines.at(end + 2)));
    const QString names = ProjectOutputNames(lines.at(end + 4), problems);

    ResetSettings();
    fileEntries = entries;
    if (modeUsable)
        mode = projectMode;
    if (pagesUsable)
        pagesPerInterval = projectPages;
    pageIntervals = lines.at(end + 3);
    outputNames = names;
    const QString folder = lines.value(end + 5);
    if (!folder.isEmpty())
        outputFolder = QDir::fromNativeSeparators(folder);
    ApplySettingsToUi();
    WarnAboutProjectProblems(problems);
    return true;
}

#include "moc_SplitPDFFilesWindow.cpp"
