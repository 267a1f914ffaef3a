#include "app/tools/crop/CropPDFFilesWindow.h"

#include "app/AppSettings.h"
#include "app/Prompts.h"
#include "app/SetModifiedMarker.h"
#include "app/SharedHelpers.h"
#include "app/tools/ListPDFFiles.h"
#include "app/tools/crop/CropGeometry.h"
#include "app/tools/crop/CropThread.h"
#include "ui_CropPDFFilesWindow.h"

#include <QDir>
#include <QPainter>
#include <QPixmap>

#include <algorithm>

namespace {

FileToolWindow::Texts CropTexts()
{
    FileToolWindow::Texts texts;
    texts.title = CropPDFFilesWindow::tr("Crop PDF Documents");
    texts.addingStatus = CropPDFFilesWindow::tr("Updating PDF file list...");
    texts.runningStatus = CropPDFFilesWindow::tr("Cropping documents. Please wait...");
    texts.interruption = CropPDFFilesWindow::tr(
        "Exiting now will interrupt the cropping process; the document being cropped will not be written. Are you "
        "sure you want to exit?");
    texts.projectFilter = CropPDFFilesWindow::tr("Crop PDF Project (*.cpf)");
    texts.projectExtension = QStringLiteral("cpf");
    texts.projectsFolderName = QStringLiteral("Crop");
    texts.helpPage = QStringLiteral("/support-crop.php");
    texts.blankDocumentInfo = CropPDFFilesWindow::tr("Number of Pages:\nPage Size:\nEncrypted:\nFile Size:");
    return texts;
}

// The spin boxes' ranges in points and in percents.
constexpr int kMaxPoints = 10000;
constexpr int kMaxPercents = 100;

QString DefaultOutputFolder()
{
    return QDir::fromNativeSeparators(AppSettings::Folder(QLatin1String(SettingsKey::CropPDFOutputFolder)));
}

} // namespace

CropPDFFilesWindow::CropPDFFilesWindow(QWidget* parent)
    : PageSizeToolWindow(CropTexts(), parent), ui(new Ui::CropPDFFilesWindow)
{
    ui->setupUi(this);
    resize(1024, 555);
    SetUpFrame(ui->progressWatermark, ui->buttonCropFiles);
    ui->comboPositionMode->addItem(tr("Points"));
    ui->comboPositionMode->addItem(tr("Percents"));
    ResetSettings();
}

CropPDFFilesWindow::~CropPDFFilesWindow()
{
    ReleaseThread();
    delete ui;
}

ToolThread* CropPDFFilesWindow::CreateThread()
{
    auto* job = new CropThread;
    ConnectEngine(&job->engine);
    return job;
}

CropThread* CropPDFFilesWindow::Thread()
{
    return static_cast<CropThread*>(JobThread());
}

// ---- Settings ----

void CropPDFFilesWindow::ResetToolSettings()
{
    unitMode = CropUnitPercents;
    originX = 10;
    originY = 10;
    width = 80;
    height = 80;
    usePageIntervals = false;
    pageIntervals = QStringLiteral("[1-3],5,[7-9]");
    outputNames = QStringLiteral("[FileName]_Cropped");
    outputFolder = DefaultOutputFolder();
    ApplySettingsToUi();
}

void CropPDFFilesWindow::ApplySettingsToUi()
{
    const QSignalBlocker quietCombo(ui->comboPositionMode);
    const QSignalBlocker quietCheck(ui->checkPageIntervals);
    const QSignalBlocker quietIntervals(ui->editPageIntervals);
    const QSignalBlocker quietNames(ui->editOutputNames);
    ui->comboPositionMode->setCurrentIndex(unitMode);
    const int maximum = unitMode == CropUnitPoints ? kMaxPoints : kMaxPercents;
    const struct {
        QSpinBox* spin;
        int* field;
    } values[] = {{ui->spinCropRectOriginX, &originX},
                  {ui->spinCropRectOriginY, &originY},
                  {ui->spinCropRectWidth, &width},
                  {ui->spinCropRectHeight, &height}};
    for (const auto& value : values) {
        const QSignalBlocker quiet(value.spin);
        value.spin->setRange(0, maximum);
        value.spin->setValue(*value.field);
        *value.field = value.spin->value(); // held within the range, as the spin box shows it
    }
    ui->checkPageIntervals->setChecked(usePageIntervals);
    ui->editPageIntervals->setText(pageIntervals);
    ui->editOutputNames->setText(outputNames);
    ui->editOutputFolder->setText(QDir::toNativeSeparators(outputFolder));
}

void CropPDFFilesWindow::on_comboPositionMode_activated(int index)
{
    if (index == unitMode || (index != CropUnitPoints && index != CropUnitPercents))
        return;
    unitMode = index;
    const bool toPoints = index == CropUnitPoints;
    originX = ConvertToUnit(originX, Qt::Horizontal, toPoints);
    originY = ConvertToUnit(originY, Qt::Vertical, toPoints);
    width = ConvertToUnit(width, Qt::Horizontal, toPoints);
    height = ConvertToUnit(height, Qt::Vertical, toPoints);
    ApplySettingsToUi();
    UpdatePreview();
    SetModifiedMarker(this, true);
}

void CropPDFFilesWindow::ClearPreview()
{
    ui->labelPreview->clear();
}

void CropPDFFilesWindow::on_spinCropRectOriginX_valueChanged(int value)
{
    originX = value;
    UpdatePreview();
    SetModifiedMarker(this, true);
}

void CropPDFFilesWindow::on_spinCropRectOriginY_valueChanged(int value)
{
    originY = value;
    UpdatePreview();
    SetModifiedMarker(this, true);
}

void CropPDFFilesWindow::on_spinCropRectWidth_valueChanged(int value)
{
    width = value;
    UpdatePreview();
    SetModifiedMarker(this, true);
}

void CropPDFFilesWindow::on_spinCropRectHeight_valueChanged(int value)
{
    height = value;
    UpdatePreview();
    SetModifiedMarker(this, true);
}

void CropPDFFilesWindow::on_checkPageIntervals_clicked(bool checked)
{
    usePageIntervals = checked;
    SetModifiedMarker(this, true);
}

void CropPDFFilesWindow::on_editPageIntervals_textChanged(const QString& text)
{
    pageIntervals = text;
    SetModifiedMarker(this, true);
}

void CropPDFFilesWindow::on_editOutputNames_textChanged(const QString& text)
{
    outputNames = CheckOutputNames(ui->editOutputNames, text);
}

void CropPDFFilesWindow::on_buttonBrowse_clicked()
{
    BrowseOutputFolder(SettingsKey::CropPDFOutputFolder, outputFolder, ui->editOutputFolder);
}

// ---- The preview ----

void CropPDFFilesWindow::UpdatePreview()
{
    const int row = widgets.list->currentRow();
    if (row < 0 || row >= fileEntries.size())
        return;
    const FileEntry& entry = fileEntries.at(row);
    const QSize page(entry.pageWidth, entry.pageHeight);
    CropBox box;
    CropBoxInPoints(unitMode, originX, originY, width, height, UsablePageSize(page), box);
    const CropPreviewGeometry preview = ComputeCropPreview(page, box);

    QPixmap pixmap(preview.pixmapSize);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        painter.setBrush(QBrush(Qt::white, Qt::SolidPattern));
        painter.drawRect(0, 0, preview.pixmapSize.width() - 1, preview.pixmapSize.height() - 1);
        // Nothing of the rectangle on the page: nothing to hatch (the job refuses such a page).
        if (!preview.rectangle.isEmpty()) {
            painter.setBrush(QBrush(Qt::black, Qt::Dense4Pattern));
            painter.drawRect(preview.rectangle);
        }
    }
    ui->labelPreview->setPixmap(pixmap);
}

// ---- The job ----

void CropPDFFilesWindow::on_buttonCropFiles_clicked()
{
    if (fileEntries.isEmpty()) {
        Prompts().Warning(this, QString(), tr("There are no files to crop."));
        return;
    }
    if (IsWorking() || IsAdding())
        return;
    CropThread* job = Thread();
    const QStringList paths = FilePaths();
    if (usePageIntervals && paths.size() > 1)
        Prompts().Information(this, QString(),
                              tr("You can only crop a single document using page intervals. Note that only the "
                                 "first document will be cropped."));
    job->files = paths;
    job->unitMode = unitMode;
    job->originX = originX;
    job->originY = originY;
    job->width = width;
    job->height = height;
    job->usePageIntervals = usePageIntervals;
    job->pageIntervals = pageIntervals;
    job->outputNames = outputNames;
    job->outputFolder = outputFolder;
    StartJob();
}

void CropPDFFilesWindow::ReportFinishedJob()
{
    ReportFailedSources(Thread()->GetFailures(), tr("Documents cropped successfully."),
                        tr("The following PDF documents could not be cropped:\n\n"));
}

// ---- Projects ----

QString CropPDFFilesWindow::ProjectText() const
{
    QString text = ProjectListText();
    for (int value : {unitMode, originX, originY, width, height, usePageIntervals ? 1 : 0})
        text += QString::number(value) + QLatin1Char('\n');
    text += pageIntervals + QLatin1Char('\n');
    text += outputNames + QLatin1Char('\n');
    text += outputFolder; // the last line has no line end
    return text;
}

bool CropPDFFilesWindow::ApplyProject(const QStringList& lines)
{
    QList<FileEntry> entries;
    QStringList values;
    // Unit, four values, flag, intervals and names follow the list; an empty output folder, the
    // last line, leaves no line behind.
    if (!ReadProjectList(lines, entries, values) || values.size() < 8 || HoldsControlCharacter(values.at(7)) ||
        HoldsControlCharacter(values.value(8)))
        return false;

    QStringList problems;
    bool number = false;
    const int projectUnit = values.at(0).toInt(&number);
    const bool unitUsable = number && (projectUnit == CropUnitPoints || projectUnit == CropUnitPercents);
    if (!unitUsable)
        problems << tr("The unit \"%1\" is unknown; percents are used.").arg(QuotedExcerpt(values.at(0)));
    const QString names = ProjectOutputNames(values.at(7), problems);

    ResetSettings();
    fileEntries = entries;
    if (unitUsable) {
        unitMode = projectUnit;
        // Values that are no number count as 0; the spin boxes hold them within their range.
        originX = values.at(1).toInt();
        originY = values.at(2).toInt();
        width = values.at(3).toInt();
        height = values.at(4).toInt();
    }
    usePageIntervals = values.at(5).toInt() != 0;
    pageIntervals = values.at(6);
    outputNames = names;
    const QString folder = values.value(8);
    if (!folder.isEmpty())
        outputFolder = QDir::fromNativeSeparators(folder);
    ApplySettingsToUi();
    WarnAboutProjectProblems(problems);
    return true;
}

#include "moc_CropPDFFilesWindow.cpp"
