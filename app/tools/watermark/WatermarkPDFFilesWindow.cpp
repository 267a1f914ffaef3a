#include "app/tools/watermark/WatermarkPDFFilesWindow.h"

#include "app/AppSettings.h"
#include "app/FontCatalog.h"
#include "app/Prompts.h"
#include "app/SetModifiedMarker.h"
#include "app/SharedHelpers.h"
#include "app/tools/ListPDFFiles.h"
#include "app/tools/PDFQueries.h"
#include "app/tools/watermark/WatermarkGeometry.h"
#include "app/tools/watermark/WatermarkThread.h"

#include <QAction>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QVBoxLayout>

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

const char kEndOfList[] = "EndOfList";
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

QLabel* Label(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    return label;
}

} // namespace

WatermarkPDFFilesWindow::WatermarkPDFFilesWindow(QWidget* parent, const FontCatalog* fonts)
    : FileToolWindow(WatermarkTexts(), parent), catalog(fonts ? *fonts : FontCatalog::Shared())
{
    BuildForm();
    SetUpFrame(progressWatermark, buttonWatermarkFiles);
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
    comboFont->addItems(catalog.DisplayNames());
    comboPosition->addItems({tr("Top Left"), tr("Top Right"), tr("Bottom Left"), tr("Bottom Right"), tr("Center"),
                             tr("Center Top"), tr("Center Bottom")});
    comboPositionMode->addItems({tr("Points"), tr("Percents")});
    ResetSettings();
}

WatermarkPDFFilesWindow::~WatermarkPDFFilesWindow()
{
    ReleaseThread();
}

void WatermarkPDFFilesWindow::BuildForm()
{
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralwidget"));
    setCentralWidget(central);
    QFont font10 = font();
    font10.setPointSize(10);
    central->setFont(font10);

    auto* menuBar = new QMenuBar(this);
    menuBar->setObjectName(QStringLiteral("menubar"));
    setMenuBar(menuBar);
    QMenu* project = menuBar->addMenu(tr("Project"));
    project->setObjectName(QStringLiteral("menuProject"));
    auto addAction = [this](QMenu* menu, const QString& text, const char* name, const QKeySequence& keys) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(keys);
        return action;
    };
    addAction(project, tr("New"), "actionNew", QKeySequence(Qt::CTRL | Qt::Key_N));
    project->addSeparator();
    addAction(project, tr("Load"), "actionLoad", QKeySequence(Qt::CTRL | Qt::Key_L));
    project->addSeparator();
    addAction(project, tr("Save"), "actionSave", QKeySequence(Qt::CTRL | Qt::Key_S));
    addAction(project, tr("Save As"), "actionSave_As", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    project->addSeparator();
    addAction(project, tr("Exit"), "actionExit", QKeySequence(Qt::CTRL | Qt::Key_E));
    QMenu* help = menuBar->addMenu(tr("Help"));
    help->setObjectName(QStringLiteral("menuHelp"));
    addAction(help, tr("Online Help"), "actionOnline_Help", QKeySequence(Qt::Key_F1));
    auto* status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("statusbar"));
    setStatusBar(status);

    auto named = [](auto* widget, const char* name) {
        widget->setObjectName(QLatin1String(name));
        return widget;
    };

    // Settings.
    auto* settings = named(new QGroupBox(tr("Settings"), central), "groupSettings");
    auto* settingsGrid = new QGridLayout(settings);
    radioTextWatermark = named(new QRadioButton(tr("Text Watermark"), settings), "radioTextWatermark");
    settingsGrid->addWidget(radioTextWatermark, 0, 0, 1, 4);
    settingsGrid->addWidget(Label(tr("Text"), settings), 1, 0);
    editText = named(new QLineEdit(settings), "editText");
    editText->setMinimumSize(160, 30);
    settingsGrid->addWidget(editText, 1, 1, 1, 2);
    buttonAddToken = named(new QPushButton(settings), "buttonAddToken");
    buttonAddToken->setIcon(QIcon(QStringLiteral(":/AddToken.png")));
    buttonAddToken->setFixedWidth(30);
    settingsGrid->addWidget(buttonAddToken, 1, 3);
    settingsGrid->addWidget(Label(tr("Font"), settings), 2, 0);
    comboFont = named(new QComboBox(settings), "comboFont");
    comboFont->setMinimumSize(198, 30);
    settingsGrid->addWidget(comboFont, 2, 1, 1, 3);
    settingsGrid->addWidget(Label(tr("Size"), settings), 3, 0);
    spinSize = named(new QSpinBox(settings), "spinSize");
    spinSize->setMinimumSize(50, 30);
    settingsGrid->addWidget(spinSize, 3, 1);
    auto* colourRow = new QHBoxLayout;
    colourRow->addWidget(Label(tr("Color"), settings));
    buttonColor = named(new QPushButton(settings), "buttonColor");
    buttonColor->setFixedSize(50, 30);
    colourRow->addWidget(buttonColor);
    settingsGrid->addLayout(colourRow, 3, 2, 1, 2);
    radioImageWatermark = named(new QRadioButton(tr("Image Watermark"), settings), "radioImageWatermark");
    settingsGrid->addWidget(radioImageWatermark, 4, 0, 1, 4);
    editImage = named(new QLineEdit(settings), "editImage");
    editImage->setReadOnly(true);
    editImage->setMinimumSize(180, 30);
    settingsGrid->addWidget(editImage, 5, 0, 1, 3);
    buttonBrowseImage = named(new QPushButton(tr("Browse"), settings), "buttonBrowseImage");
    settingsGrid->addWidget(buttonBrowseImage, 5, 3);
    settingsGrid->addWidget(Label(tr("Scale"), settings), 6, 0);
    spinScale = named(new QSpinBox(settings), "spinScale");
    spinScale->setRange(1, 100);
    settingsGrid->addWidget(spinScale, 6, 1);
    settingsGrid->addWidget(Label(tr("%"), settings), 6, 2);
    // The two radio buttons sit in one group box but are kept apart by the slots themselves.
    radioTextWatermark->setAutoExclusive(false);
    radioImageWatermark->setAutoExclusive(false);

    // Placement.
    auto* placement = named(new QGroupBox(tr("Placement"), central), "groupPlacement");
    auto* placementGrid = new QGridLayout(placement);
    placementGrid->addWidget(Label(tr("Position"), placement), 0, 0);
    comboPosition = named(new QComboBox(placement), "comboPosition");
    comboPosition->setMinimumSize(100, 30);
    QFont font8 = comboPosition->font();
    font8.setPointSize(8);
    comboPosition->setFont(font8);
    placementGrid->addWidget(comboPosition, 0, 1, 1, 2);
    comboPositionMode = named(new QComboBox(placement), "comboPositionMode");
    comboPositionMode->setMinimumSize(76, 30);
    placementGrid->addWidget(comboPositionMode, 0, 3);
    placementGrid->addWidget(Label(tr("Offset X"), placement), 1, 0);
    spinOffsetX = named(new QSpinBox(placement), "spinOffsetX");
    spinOffsetX->setMinimumSize(50, 30);
    spinOffsetX->setRange(0, kMaxPointsOffset);
    placementGrid->addWidget(spinOffsetX, 1, 1);
    placementGrid->addWidget(Label(tr("Offset Y"), placement), 1, 2);
    spinOffsetY = named(new QSpinBox(placement), "spinOffsetY");
    spinOffsetY->setMinimumSize(50, 30);
    spinOffsetY->setRange(0, kMaxPointsOffset);
    placementGrid->addWidget(spinOffsetY, 1, 3);

    auto* intervals = named(new QGroupBox(tr("Page Intervals"), central), "groupPageIntervals");
    auto* intervalsRow = new QHBoxLayout(intervals);
    checkPageIntervals = named(new QCheckBox(intervals), "checkPageIntervals");
    intervalsRow->addWidget(checkPageIntervals);
    editPageIntervals = named(new QLineEdit(intervals), "editPageIntervals");
    editPageIntervals->setMinimumSize(212, 30);
    intervalsRow->addWidget(editPageIntervals);

    auto* names = named(new QGroupBox(tr("Output Names"), central), "groupOutputNames");
    auto* namesRow = new QHBoxLayout(names);
    editOutputNames = named(new QLineEdit(names), "editOutputNames");
    namesRow->addWidget(editOutputNames);

    // The list and the output folder.
    auto* list = named(new ListPDFFiles(central), "listPDFFiles");
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    list->setIconSize(QSize(32, 32));
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(Label(tr("Output Folder"), central));
    editOutputFolder = named(new QLineEdit(central), "editOutputFolder");
    editOutputFolder->setReadOnly(true);
    folderRow->addWidget(editOutputFolder);
    folderRow->addWidget(named(new QPushButton(tr("Browse"), central), "buttonBrowse"));

    auto* files = named(new QGroupBox(tr("Files"), central), "groupFiles");
    files->setFixedHeight(120);
    auto* filesColumn = new QVBoxLayout(files);
    auto* add = named(new QPushButton(QIcon(QStringLiteral(":/ListAdd.png")), tr("Add"), files), "buttonAdd");
    auto* remove =
        named(new QPushButton(QIcon(QStringLiteral(":/ListRemove.png")), tr("Remove"), files), "buttonRemove");
    add->setFixedSize(120, 30);
    remove->setFixedSize(120, 30);
    filesColumn->addWidget(add);
    filesColumn->addWidget(remove);

    auto* previewGroup = named(new QGroupBox(tr("Preview"), central), "groupPreview");
    auto* previewColumn = new QVBoxLayout(previewGroup);
    labelPreview = named(new QLabel(previewGroup), "labelPreview");
    labelPreview->setFixedSize(220, 220);
    labelPreview->setAlignment(Qt::AlignCenter);
    previewColumn->addWidget(labelPreview);

    auto* info = named(new QGroupBox(tr("Document Info"), central), "groupDocumentInfo");
    info->setFixedHeight(95);
    auto* infoColumn = new QVBoxLayout(info);
    labelDocInfo = named(new QLabel(info), "labelDocInfo");
    infoColumn->addWidget(labelDocInfo);

    progressWatermark = named(new QProgressBar(central), "progressWatermark");
    progressWatermark->setTextVisible(false);
    buttonWatermarkFiles =
        named(new QPushButton(QIcon(QStringLiteral(":/Process.png")), tr("Watermark Documents"), central),
              "buttonWatermarkFiles");
    buttonWatermarkFiles->setFixedSize(175, 30);

    auto* left = new QVBoxLayout;
    left->addWidget(list);
    left->addLayout(folderRow);
    auto* middle = new QVBoxLayout;
    middle->addWidget(settings);
    middle->addWidget(placement);
    middle->addWidget(intervals);
    middle->addWidget(names);
    middle->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(files);
    right->addWidget(previewGroup);
    right->addWidget(info);
    right->addStretch();
    auto* upper = new QHBoxLayout;
    upper->addLayout(left, 1);
    upper->addLayout(middle);
    upper->addLayout(right);
    auto* lower = new QHBoxLayout;
    lower->addWidget(progressWatermark);
    lower->addWidget(buttonWatermarkFiles);
    auto* whole = new QVBoxLayout(central);
    whole->addLayout(upper);
    whole->addLayout(lower);

    // The designer form's step: the on_ slots, of this window and of the frame, by name.
    QMetaObject::connectSlotsByName(this);
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
    buttonColor->setStyleSheet(QStringLiteral("background-color: black"));
    labelPreview->clear();
}

void WatermarkPDFFilesWindow::SetOffsetRanges()
{
    const int top = unitMode == UnitPercents ? kMaxPercentOffset : kMaxPointsOffset;
    spinOffsetX->setRange(0, top);
    spinOffsetY->setRange(0, top);
}

void WatermarkPDFFilesWindow::EnableOffsetsForPosition()
{
    spinOffsetX->setEnabled(position >= PositionTopLeft && position <= PositionBottomRight);
    spinOffsetY->setEnabled(position != PositionCenter);
}

void WatermarkPDFFilesWindow::ApplySettingsToUi()
{
    {
        const QSignalBlocker quiet[] = {QSignalBlocker(radioTextWatermark), QSignalBlocker(radioImageWatermark),
                                        QSignalBlocker(editText),           QSignalBlocker(comboFont),
                                        QSignalBlocker(spinSize),           QSignalBlocker(spinScale),
                                        QSignalBlocker(comboPosition),      QSignalBlocker(comboPositionMode),
                                        QSignalBlocker(spinOffsetX),        QSignalBlocker(spinOffsetY),
                                        QSignalBlocker(checkPageIntervals), QSignalBlocker(editPageIntervals),
                                        QSignalBlocker(editOutputNames)};
        if (watermarkMode == TextWatermark || watermarkMode == ImageWatermark) {
            radioTextWatermark->setChecked(watermarkMode == TextWatermark);
            radioImageWatermark->setChecked(watermarkMode == ImageWatermark);
        }
        editText->setText(text);
        const int font = comboFont->findText(fontName);
        if (font >= 0)
            comboFont->setCurrentIndex(font);
        // The boxes keep values in their ranges; the fields take what the boxes show.
        spinSize->setValue(fontSize);
        fontSize = spinSize->value();
        buttonColor->setStyleSheet(QStringLiteral("background-color: ") + ColourName(color));
        editImage->setText(QDir::toNativeSeparators(imagePath));
        spinScale->setValue(scale);
        scale = spinScale->value();
        comboPosition->setCurrentIndex(position);
        comboPositionMode->setCurrentIndex(unitMode);
        SetOffsetRanges();
        spinOffsetX->setValue(offsetX);
        spinOffsetY->setValue(offsetY);
        offsetX = spinOffsetX->value();
        offsetY = spinOffsetY->value();
        EnableOffsetsForPosition();
        checkPageIntervals->setChecked(pageIntervalsEnabled);
        editPageIntervals->setText(pageIntervals);
        editOutputNames->setText(outputNames);
        editOutputFolder->setText(QDir::toNativeSeparators(outputFolder));
    }
    UpdatePreview();
}

void WatermarkPDFFilesWindow::on_radioTextWatermark_clicked(bool checked)
{
    radioImageWatermark->setChecked(!checked);
    watermarkMode = checked ? TextWatermark : ImageWatermark;
    UpdatePreview();
    SetModifiedMarker(this, true);
}

void WatermarkPDFFilesWindow::on_radioImageWatermark_clicked(bool checked)
{
    radioTextWatermark->setChecked(!checked);
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
    tokenMenu->popup(buttonAddToken->mapToGlobal(QPoint(buttonAddToken->width(), 0)));
}

void WatermarkPDFFilesWindow::OnPageNumber()
{
    editText->insert(QStringLiteral("[PgNo]"));
}

void WatermarkPDFFilesWindow::OnCopyrightSymbol()
{
    editText->insert(QString(QChar(0x00A9)));
}

void WatermarkPDFFilesWindow::OnTrademarkSymbol()
{
    editText->insert(QString(QChar(0x2122)));
}

void WatermarkPDFFilesWindow::OnRegisteredTrademarkSymbol()
{
    editText->insert(QString(QChar(0x00AE)));
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
    buttonColor->setStyleSheet(QStringLiteral("background-color: ") + chosen.name());
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
    editImage->setText(QDir::toNativeSeparators(imagePath));
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

QSize WatermarkPDFFilesWindow::ReferencePage() const
{
    const int row = widgets.list->currentRow();
    if (row >= 0 && row < fileEntries.size())
        return QSize(fileEntries.at(row).pageWidth, fileEntries.at(row).pageHeight);
    if (!fileEntries.isEmpty())
        return QSize(fileEntries.first().pageWidth, fileEntries.first().pageHeight);
    return QSize(kFallbackPageWidth, kFallbackPageHeight);
}

void WatermarkPDFFilesWindow::on_comboPositionMode_activated(int index)
{
    if (index == unitMode)
        return;
    unitMode = index;
    const QSize page = ReferencePage();
    // A page of no size (a damaged box in a project) would divide by zero: A4 instead.
    const float W = page.width() > 0 ? static_cast<float>(page.width()) : float(kFallbackPageWidth);
    const float H = page.height() > 0 ? static_cast<float>(page.height()) : float(kFallbackPageHeight);
    double x = 0;
    double y = 0;
    if (unitMode == UnitPoints) {
        x = RoundHalfUp(static_cast<float>(offsetX) / 100.0f * W);
        y = RoundHalfUp(static_cast<float>(offsetY) / 100.0f * H);
    } else {
        x = RoundHalfUp(static_cast<float>(offsetX) / W * 100.0f);
        y = RoundHalfUp(static_cast<float>(offsetY) / H * 100.0f);
    }
    {
        const QSignalBlocker quietX(spinOffsetX);
        const QSignalBlocker quietY(spinOffsetY);
        SetOffsetRanges();
        spinOffsetX->setValue(static_cast<int>(std::min(x, double(kMaxPointsOffset))));
        spinOffsetY->setValue(static_cast<int>(std::min(y, double(kMaxPointsOffset))));
    }
    offsetX = spinOffsetX->value();
    offsetY = spinOffsetY->value();
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
    outputNames = CheckOutputNames(editOutputNames, value);
}

void WatermarkPDFFilesWindow::on_buttonBrowse_clicked()
{
    BrowseOutputFolder(SettingsKey::WatermarkPDFOutputFolder, outputFolder, editOutputFolder);
}

// ---- The list and the preview ----

FileEntry WatermarkPDFFilesWindow::MakeFileEntry(const QString& path) const
{
    FileEntry entry;
    entry.path = path;
    const QSize size = GetPDFPageSize(path);
    entry.pageWidth = size.width();
    entry.pageHeight = size.height();
    return entry;
}

void WatermarkPDFFilesWindow::ShowDocumentInfo(const QString& path)
{
    const int row = widgets.list->currentRow();
    const FileEntry entry = row >= 0 && row < fileEntries.size() ? fileEntries.at(row) : MakeFileEntry(path);
    const qint64 kilobytes = QFileInfo(path).size() / 1024;
    labelDocInfo->setText(tr("Number of Pages: %1\nPage Size: %2 x %3\nEncrypted: %4\nFile Size: %5 KB")
                              .arg(PDFPageCount(path))
                              .arg(entry.pageWidth)
                              .arg(entry.pageHeight)
                              .arg(IsEncryptedPDF(path) ? tr("YES") : tr("NO"))
                              .arg(kilobytes));
    UpdatePreview();
}

void WatermarkPDFFilesWindow::ResetDocumentInfo()
{
    FileToolWindow::ResetDocumentInfo();
    labelPreview->clear();
}

void WatermarkPDFFilesWindow::FilesAdded()
{
    ResetDocumentInfo();
}

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
        QImageReader reader(imagePath);
        mark = ImageMarkSize(reader.size(), scale);
    }
    const MarkOffsets offsets = OffsetsInPoints(unitMode, offsetX, offsetY, page.pageWidth, page.pageHeight);
    const WatermarkPreview preview =
        PreviewGeometry(page.pageWidth, page.pageHeight, mark.width(), mark.height(), position, offsets);
    if (!preview.valid) {
        labelPreview->clear();
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
    labelPreview->setPixmap(picture);
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
    QString project;
    for (const FileEntry& entry : fileEntries)
        project += entry.path + QLatin1Char('|') + QString::number(entry.pageWidth) + QLatin1Char('|') +
                   QString::number(entry.pageHeight) + QLatin1Char('\n');
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
    project += QLatin1String(kEndOfList) + QLatin1Char('\n');
    for (const QString& line : settings)
        project += line + QLatin1Char('\n');
    project += outputFolder; // the last line has no line end
    return project;
}

bool WatermarkPDFFilesWindow::ApplyProject(const QStringList& lines)
{
    const int end = lines.indexOf(QLatin1String(kEndOfList));
    if (end < 0 || lines.size() < end + 1 + kSettingLines)
        return false;
    QList<FileEntry> entries;
    for (int i = 0; i < end; ++i) {
        const QString& line = lines.at(i);
        if (line.isEmpty())
            continue;
        // The path may hold "|" itself: the size is the last two fields.
        const int heightBar = line.lastIndexOf(QLatin1Char('|'));
        const int widthBar = heightBar > 0 ? line.lastIndexOf(QLatin1Char('|'), heightBar - 1) : -1;
        if (widthBar <= 0)
            return false;
        if (std::any_of(line.cbegin(), line.cend(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; }))
            return false;
        FileEntry entry;
        entry.path = line.left(widthBar);
        entry.pageWidth = line.mid(widthBar + 1, heightBar - widthBar - 1).toInt();
        entry.pageHeight = line.mid(heightBar + 1).toInt();
        entries.append(entry);
    }
    const QStringList values = lines.mid(end + 1);
    QStringList problems;
    const QString projectFont = values.at(2);
    if (!catalog.DisplayNames().contains(projectFont))
        problems << tr("The font \"%1\" is not installed; watermarks need a font that is.").arg(projectFont);
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
        problems << tr("The position %1 is unknown; Bottom Left is used.").arg(values.at(7));
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
