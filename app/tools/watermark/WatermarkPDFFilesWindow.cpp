#include "app/tools/watermark/WatermarkPDFFilesWindow.h"

#include "app/AppSettings.h"
#include "app/FontCatalog.h"
#include "app/ImageFiles.h"
#include "app/Prompts.h"
#include "app/SetModifiedMarker.h"
#include "app/SharedHelpers.h"
#include "app/tools/watermark/PDFWatermarker.h"
#include "app/tools/watermark/WatermarkGeometry.h"
#include "app/tools/watermark/WatermarkThread.h"
#include "ui_WatermarkPDFFilesWindow.h"

#include <QAction>
#include <QColorDialog>
#include <QDir>
#include <QMenu>
#include <QPainter>

#include <algorithm>

namespace {

FileToolWindow::Texts WatermarkTexts()
{
    FileToolWindow::Texts texts;
    texts.title = WatermarkPDFFilesWindow::tr("Watermark PDF Documents");
    texts.addingStatus = WatermarkPDFFilesWindow::tr("Updating PDF file list...");
    texts.runningStatus = WatermarkPDFFilesWindow::tr("Watermarking documents. Please wait...");
    texts.interruption = WatermarkPDFFilesWindow::tr(
        "Exiting now will interrupt the watermarking process and could lead to corrupt output files. Are you sure "
        "you want exit?");
    texts.projectFilter = WatermarkPDFFilesWindow::tr("Watermark PDF Project (*.wpf)");
    texts.projectExtension = QStringLiteral("wpf");
    texts.projectsFolderName = QStringLiteral("Watermark");
    texts.helpPage = QStringLiteral("/support-watermark.php");
    texts.blankDocumentInfo = WatermarkPDFFilesWindow::tr("Number of Pages:\nPage Size:\nEncrypted:\nFile Size:");
    return texts;
}

const char kDefaultFont[] = "Arial";
// The lines after "EndOfList": mode to output names; the output folder may be missing when the
// file ends without a line end after an empty last line.
constexpr int kSettingLines = 14;
constexpr int kMaxPointsOffset = 10000;
constexpr int kMaxPercentOffset = 100;

QString DefaultOutputFolder()
{
    return QDir::fromNativeSeparators(AppSettings::Folder(QLatin1String(SettingsKey::WatermarkPDFOutputFolder)));
}

QString ColourName(unsigned int color)
{
    return QStringLiteral("#") + QString::number(color & 0xFFFFFFu, 16).rightJustified(6, QLatin1Char('0'));
}

} // namespace

WatermarkPDFFilesWindow::WatermarkPDFFilesWindow(QWidget* parent, const FontCatalog* fonts)
    : PageSizeToolWindow(WatermarkTexts(), parent),
      ui(new Ui::WatermarkPDFFilesWindow),
      catalog(fonts ? *fonts : FontCatalog::Shared())
{
    ui->setupUi(this);
    SetUpFrame(ui->progressWatermark, ui->buttonWatermarkFiles);
    resize(1050, 630);

    tokenMenu = new QMenu(this);
    const struct {
        const char* text;
        const char* name;
        void (WatermarkPDFFilesWindow::*slot)();
    } tokens[] = {{QT_TR_NOOP("Page Number"), "actionPageNumber", &WatermarkPDFFilesWindow::OnPageNumber},
                  {QT_TR_NOOP("Copyright Symbol"), "actionCopyrightSymbol", &WatermarkPDFFilesWindow::OnCopyrightSymbol},
                  {QT_TR_NOOP("Trademark Symbol"), "actionTrademarkSymbol", &WatermarkPDFFilesWindow::OnTrademarkSymbol},
                  {QT_TR_NOOP("Registered Trademark Symbol"), "actionRegisteredTrademarkSymbol",
                   &WatermarkPDFFilesWindow::OnRegisteredTrademarkSymbol}};
    for (const auto& token : tokens) {
        QAction* action = tokenMenu->addAction(tr(token.text));
        action->setObjectName(QLatin1String(token.name));
        connect(action, &QAction::triggered, this, token.slot);
    }
    ui->comboFont->addItems(catalog.DisplayNames());
    ui->comboPosition->addItems({tr("Top Left"), tr("Top Right"), tr("Bottom Left"), tr("Bottom Right"),
                                 tr("Center"), tr("Center Top"), tr("Center Bottom")});
    ui->comboPositionMode->addItems({tr("Points"), tr("Percents")});
    ResetSettings();
}

WatermarkPDFFilesWindow::~WatermarkPDFFilesWindow()
{
    ReleaseThread();
    delete ui;
}

ToolThread* WatermarkPDFFilesWindow::CreateThread()
{
    auto* job = new WatermarkThread;
    // The job finds fonts where the window found the ones it offers.
    job->engine.SetFontCatalog(&catalog);
    ConnectEngine(&job->engine);
    return job;
}

WatermarkThread* WatermarkPDFFilesWindow::Thread()
{
    return static_cast<WatermarkThread*>(JobThread());
}

// ---- Settings ----

QString WatermarkPDFFilesWindow::DefaultFontName() const
{
    // The usual default is not installed everywhere: then the first font this system has.
    const QStringList names = catalog.DisplayNames();
    if (names.contains(QLatin1String(kDefaultFont)) || names.isEmpty())
        return QLatin1String(kDefaultFont);
    return names.first();
}

void WatermarkPDFFilesWindow::ResetToolSettings()
{
    watermarkMode = TextWatermark;
    text.clear();
    fontName = DefaultFontName();
    fontSize = 16;
    color = 0;
    imagePath.clear();
    scale = 100;
    position = PositionBottomLeft;
    unitMode = UnitPoints;
    offsetX = 50;
    offsetY = 50;
    pageIntervalsEnabled = false;
    pageIntervals = QStringLiteral("[1-3],5,[7-9]");
    outputNames = QStringLiteral("[FileName]_Watermarked");
    outputFolder = DefaultOutputFolder();
    ApplySettingsToUi();
    ui->buttonColor->setStyleSheet(QStringLiteral("background-color: black"));
    ClearPreview();
}

void WatermarkPDFFilesWindow::ClearPreview()
{
    ui->labelPreview->clear();
}

void WatermarkPDFFilesWindow::SetOffsetRanges()
{
    const int top = unitMode == UnitPercents ? kMaxPercentOffset : kMaxPointsOffset;
    ui->spinOffsetX->setRange(0, top);
    ui->spinOffsetY->setRange(0, top);
}

void WatermarkPDFFilesWindow::EnableOffsetsForPosition()
{
    ui->spinOffsetX->setEnabled(position >= PositionTopLeft && position <= PositionBottomRight);
    ui->spinOffsetY->setEnabled(position != PositionCenter);
}

void WatermarkPDFFilesWindow::ApplySettingsToUi()
{
    {
        const QSignalBlocker quiet[] = {QSignalBlocker(ui->radioTextWatermark), QSignalBlocker(ui->radioImageWatermark),
                                        QSignalBlocker(ui->editText),           QSignalBlocker(ui->comboFont),
                                        QSignalBlocker(ui->spinSize),           QSignalBlocker(ui->spinScale),
                                        QSignalBlocker(ui->comboPosition),      QSignalBlocker(ui->comboPositionMode),
                                        QSignalBlocker(ui->spinOffsetX),        QSignalBlocker(ui->spinOffsetY),
                                        QSignalBlocker(ui->checkPageIntervals), QSignalBlocker(ui->editPageIntervals),
                                        QSignalBlocker(ui->editOutputNames)};
        if (watermarkMode == TextWatermark || watermarkMode == ImageWatermark) {
            ui->radioTextWatermark->setChecked(watermarkMode == TextWatermark);
            ui->radioImageWatermark->setChecked(watermarkMode == ImageWatermark);
        }
        ui->editText->setText(text);
        const int font = ui->comboFont->findText(fontName);
        if (font >= 0)
            ui->comboFont->setCurrentIndex(font);
        // The boxes keep values in their ranges; the fields take what the boxes show.
        ui->spinSize->setValue(fontSize);
        fontSize = ui->spinSize->value();
        ui->buttonColor->setStyleSheet(QStringLiteral("background-color: ") + ColourName(color));
        ui->editImage->setText(QDir::toNativeSeparators(imagePath));
        ui->spinScale->setValue(scale);
        scale = ui->spinScale->value();
        ui->comboPosition->setCurrentIndex(position);
        ui->comboPositionMode->setCurrentIndex(unitMode);
        SetOffsetRanges();
        ui->spinOffsetX->setValue(offsetX);
        ui->spinOffsetY->setValue(offsetY);
        offsetX = ui->spinOffsetX->value();
        offsetY = ui->spinOffsetY->value();
        EnableOffsetsForPosition();
        ui->checkPageIntervals->setChecked(pageIntervalsEnabled);
        ui->editPageIntervals->setText(pageIntervals);
        ui->editOutputNames->setText(outputNames);
        ui->editOutputFolder->setText(QDir::toNativeSeparators(outputFolder));
    }
    UpdatePreview();
}

void WatermarkPDFFilesWindow::on_radioTextWatermark_clicked(bool checked)
{
    ui->radioImageWatermark->setChecked(!checked);
    watermarkMode = checked ? TextWatermark : ImageWatermark;
    UpdatePreview();
    SetModifiedMarker(this, true);
}

void WatermarkPDFFilesWindow::on_radioImageWatermark_clicked(bool checked)
{
    ui->radioTextWatermark->setChecked(!checked);
    watermarkMode = checked ? ImageWatermark : TextWatermark;
    UpdatePreview();
    SetModifiedMarker(this, true);
}

void WatermarkPDFFilesWindow::on_editText_textChanged(const QString& value)
{
    text = value;
    UpdatePreview();
    SetModifiedMarker(this, true);
}

void WatermarkPDFFilesWindow::on_buttonAddToken_clicked()
{
    tokenMenu->popup(ui->buttonAddToken->mapToGlobal(QPoint(ui->buttonAddToken->width(), 0)));
}

void WatermarkPDFFilesWindow::OnPageNumber()
{
    ui->editText->insert(QStringLiteral("[PgNo]"));
}

void WatermarkPDFFilesWindow::OnCopyrightSymbol()
{
    ui->editText->insert(QString(QChar(0x00A9)));
}

void WatermarkPDFFilesWindow::OnTrademarkSymbol()
{
    ui->editText->insert(QString(QChar(0x2122)));
}

void WatermarkPDFFilesWindow::OnRegisteredTrademarkSymbol()
{
    ui->editText->insert(QString(QChar(0x00AE)));
}

void WatermarkPDFFilesWindow::on_comboFont_activated(const QString& value)
{
    fontName = value;
    UpdatePreview();
    SetModifiedMarker(this, true);
}

void WatermarkPDFFilesWindow::on_spinSize_valueChanged(int value)
{
    fontSize = value;
    UpdatePreview();
    SetModifiedMarker(this, true);
}

void WatermarkPDFFilesWindow::on_buttonColor_clicked()
{
    QColorDialog dialog(QColor(ColourName(color)));
    dialog.setWindowTitle(QString());
    if (Prompts().RunDialog(dialog) != QDialog::Accepted)
        return;
    const QColor chosen = dialog.selectedColor();
    if (!chosen.isValid())
        return;
    ui->buttonColor->setStyleSheet(QStringLiteral("background-color: ") + chosen.name());
    color = chosen.name().mid(1).toUInt(nullptr, 16);
    UpdatePreview();
    SetModifiedMarker(this, true);
}

void WatermarkPDFFilesWindow::on_buttonBrowseImage_clicked()
{
    const QString path = Prompts().OpenFileName(this, tr("Select Image"), AppSettings::PicturesFolder(),
                                                tr("Images (*.jpg *.jpeg *.jpe *.png)"));
    if (path.isEmpty())
        return;
    imagePath = QDir::fromNativeSeparators(path);
    ui->editImage->setText(QDir::toNativeSeparators(imagePath));
    UpdatePreview();
    SetModifiedMarker(this, true);
}

void WatermarkPDFFilesWindow::on_spinScale_valueChanged(int value)
{
    scale = value;
    UpdatePreview();
    SetModifiedMarker(this, true);
}

void WatermarkPDFFilesWindow::on_comboPosition_activated(int index)
{
    position = index;
    EnableOffsetsForPosition();
    UpdatePreview();
    SetModifiedMarker(this, true);
}

void WatermarkPDFFilesWindow::on_comboPositionMode_activated(int index)
{
    if (index == unitMode || (index != UnitPoints && index != UnitPercents))
        return;
    unitMode = index;
    // Both values are converted before either box changes.
    const int x = ConvertToUnit(offsetX, Qt::Horizontal, index == UnitPoints);
    const int y = ConvertToUnit(offsetY, Qt::Vertical, index == UnitPoints);
    {
        const QSignalBlocker quietX(ui->spinOffsetX);
        const QSignalBlocker quietY(ui->spinOffsetY);
        SetOffsetRanges();
        ui->spinOffsetX->setValue(x);
        ui->spinOffsetY->setValue(y);
    }
    offsetX = ui->spinOffsetX->value();
    offsetY = ui->spinOffsetY->value();
    UpdatePreview();
    SetModifiedMarker(this, true);
}

void WatermarkPDFFilesWindow::on_spinOffsetX_valueChanged(int value)
{
    offsetX = value;
    UpdatePreview();
    SetModifiedMarker(this, true);
}

void WatermarkPDFFilesWindow::on_spinOffsetY_valueChanged(int value)
{
    offsetY = value;
    UpdatePreview();
    SetModifiedMarker(this, true);
}

void WatermarkPDFFilesWindow::on_checkPageIntervals_clicked(bool checked)
{
    pageIntervalsEnabled = checked;
    SetModifiedMarker(this, true);
}

void WatermarkPDFFilesWindow::on_editPageIntervals_textChanged(const QString& value)
{
    pageIntervals = value;
    SetModifiedMarker(this, true);
}

void WatermarkPDFFilesWindow::on_editOutputNames_textChanged(const QString& value)
{
    outputNames = CheckOutputNames(ui->editOutputNames, value);
}

void WatermarkPDFFilesWindow::on_buttonBrowse_clicked()
{
    BrowseOutputFolder(SettingsKey::WatermarkPDFOutputFolder, outputFolder, ui->editOutputFolder);
}

// ---- The preview ----

void WatermarkPDFFilesWindow::UpdatePreview()
{
    const int row = widgets.list->currentRow();
    if (row < 0 || row >= fileEntries.size())
        return;
    const FileEntry& page = fileEntries.at(row);
    QSize mark(0, 0);
    if (watermarkMode == TextWatermark) {
        mark = MeasureTextInTrueTypeFont(catalog, text, fontName, fontSize);
    } else if (!imagePath.isEmpty()) {
        mark = ImageMarkSize(ImageFiles::HeaderSize(imagePath), scale);
    }
    const MarkOffsets offsets = OffsetsInPoints(unitMode, offsetX, offsetY, page.pageWidth, page.pageHeight);
    const WatermarkPreview preview =
        PreviewGeometry(page.pageWidth, page.pageHeight, mark.width(), mark.height(), position, offsets);
    if (!preview.valid) {
        ClearPreview();
        return;
    }
    QPixmap picture(preview.picture);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setBrush(Qt::white);
    painter.drawRect(QRect(QPoint(0, 0), QPoint(preview.picture.width() - 2, preview.picture.height() - 2)));
    if (watermarkMode == TextWatermark)
        painter.setBrush(QColor(ColourName(color)));
    else
        painter.setBrush(QBrush(Qt::black, Qt::Dense4Pattern));
    painter.drawRect(QRect(preview.mark.topLeft(),
                           QPoint(preview.mark.x() + preview.mark.width() - 1,
                                  preview.mark.y() + preview.mark.height() - 1)));
    painter.end();
    ui->labelPreview->setPixmap(picture);
}

// ---- The job ----

void WatermarkPDFFilesWindow::on_buttonWatermarkFiles_clicked()
{
    if (fileEntries.isEmpty()) {
        Prompts().Warning(this, QString(), tr("There are no files to watermark."));
        return;
    }
    if (IsWorking() || IsAdding())
        return;
    // A text mark without a text would write copies that carry no mark at all.
    if (watermarkMode == TextWatermark && text.trimmed().isEmpty()) {
        Prompts().Warning(this, QString(),
                          tr("Please type the text of the watermark. A text watermark without a text would leave "
                             "the documents unmarked."));
        return;
    }
    // The job would fail every page of every file: said now, with the characters to change.
    if (watermarkMode == TextWatermark) {
        const QString missing = PDFWatermarker::MissingGlyphsReason(catalog, fontName, text);
        if (!missing.isEmpty()) {
            Prompts().Warning(this, QString(), missing);
            return;
        }
    }
    if (pageIntervalsEnabled && fileEntries.size() > 1)
        Prompts().Information(this, QString(),
                              tr("You can only watermark a single document using page intervals. Note that only the "
                                 "first document will be watermarked."));
    WatermarkThread* job = Thread();
    job->files = FilePaths();
    job->mode = watermarkMode;
    if (watermarkMode == TextWatermark) {
        job->text = text;
        job->fontName = fontName;
        job->fontSize = fontSize;
        job->color = color;
    } else if (watermarkMode == ImageWatermark) {
        job->imagePath = imagePath;
        job->scale = scale;
    }
    job->position = position;
    job->unitMode = unitMode;
    job->offsetX = offsetX;
    job->offsetY = offsetY;
    job->usePageIntervals = pageIntervalsEnabled;
    job->pageIntervals = pageIntervals;
    job->outputNames = outputNames;
    job->outputFolder = outputFolder;
    StartJob();
}

void WatermarkPDFFilesWindow::ReportFinishedJob()
{
    ReportFailedSources(Thread()->GetFailures(), tr("Documents watermarked successfully."),
                        tr("The following PDF documents could not be watermarked:\n\n"));
}

// ---- Projects ----

QString WatermarkPDFFilesWindow::ProjectText() const
{
    QString project = ProjectListText();
    const QStringList settings{QString::number(watermarkMode),
                               text,
                               fontName,
                               QString::number(fontSize),
                               QString::number(color),
                               imagePath,
                               QString::number(scale),
                               QString::number(position),
                               QString::number(unitMode),
                               QString::number(offsetX),
                               QString::number(offsetY),
                               QString::number(pageIntervalsEnabled ? 1 : 0),
                               pageIntervals,
                               outputNames};
    for (const QString& line : settings)
        project += line + QLatin1Char('\n');
    project += outputFolder; // the last line has no line end
    return project;
}

bool WatermarkPDFFilesWindow::ApplyProject(const QStringList& lines)
{
    QList<FileEntry> entries;
    QStringList values;
    if (!ReadProjectList(lines, entries, values) || values.size() < kSettingLines)
        return false;
    // The image, the output names and the output folder.
    for (int line : {5, 13, 14})
        if (HoldsControlCharacter(values.value(line)))
            return false;
    QStringList problems;
    // A font that is not installed gives way to the one the box shows after the reset, so that
    // the job, the glyph check and a saved project use what the user sees.
    QString projectFont = values.at(2);
    const QStringList installed = catalog.DisplayNames();
    if (!installed.contains(projectFont)) {
        if (installed.isEmpty()) {
            problems << tr("The font \"%1\" is not installed; watermarks need a font that is.")
                            .arg(QuotedExcerpt(projectFont));
        } else {
            problems << tr("The font \"%1\" is not installed; \"%2\" is used.")
                            .arg(QuotedExcerpt(projectFont), DefaultFontName());
            projectFont = DefaultFontName();
        }
    }
    const QString names = ProjectOutputNames(values.at(13), problems);

    ResetSettings();
    fileEntries = entries;
    watermarkMode = values.at(0).toInt();
    text = values.at(1);
    fontName = projectFont;
    fontSize = values.at(3).toInt();
    color = values.at(4).toUInt() & 0xFFFFFFu;
    imagePath = QDir::fromNativeSeparators(values.at(5));
    scale = values.at(6).toInt();
    const int projectPosition = values.at(7).toInt();
    if (projectPosition >= PositionTopLeft && projectPosition <= PositionCenterBottom)
        position = projectPosition;
    else
        problems << tr("The position %1 is unknown; Bottom Left is used.").arg(QuotedExcerpt(values.at(7)));
    unitMode = values.at(8).toInt() == UnitPercents ? UnitPercents : UnitPoints;
    offsetX = values.at(9).toInt();
    offsetY = values.at(10).toInt();
    pageIntervalsEnabled = values.at(11).toInt() != 0;
    pageIntervals = values.at(12);
    outputNames = names;
    const QString folder = values.value(14);
    if (!folder.isEmpty())
        outputFolder = QDir::fromNativeSeparators(folder);
    ApplySettingsToUi();
    WarnAboutProjectProblems(problems);
    return true;
}

#include "moc_WatermarkPDFFilesWindow.cpp"
