// The compiled-in icons: every picture the windows name is there, at the size its place needs.

#include "app/support/AppTestMain.h"

#include <QDirIterator>
#include <QImage>

class IconResourcesTest : public QObject {
    Q_OBJECT

private slots:
    void everyIconAtItsSize_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QSize>("size");
        const struct {
            const char* name;
            int width;
            int height;
        } icons[] = {
            {"NewPDF", 32, 32},       {"ExtractText", 32, 32},   {"SplitPDF", 32, 32},     {"MergePDF", 32, 32},
            {"WatermarkPDF", 32, 32}, {"CropPDF", 32, 32},       {"About", 32, 32},        {"Boxshot", 240, 253},
            {"Logo", 120, 98},        {"PDFListIcon", 32, 32},   {"ListAdd", 24, 24},      {"ListRemove", 24, 24},
            {"ListMoveUp", 24, 24},   {"ListMoveDown", 24, 24},  {"Process", 24, 24},      {"AddToken", 16, 16},
            {"AlignLeft", 40, 24},    {"AlignCenter", 40, 24},   {"AlignRight", 40, 24},   {"Image", 24, 24},
            {"ExportToPDF", 36, 36},  {"ExportToHTML", 36, 36},  {"ExportToTXT", 21, 24},  {"AppendToTXT", 23, 24},
            {"Document", 23, 24},     {"Germany", 24, 24},       {"UnitedKingdom", 24, 24}, {"France", 24, 24},
            {"Italy", 24, 24},        {"Spain", 24, 24},
        };
        for (const auto& icon : icons)
            QTest::newRow(icon.name) << QStringLiteral(":/%1.png").arg(QLatin1String(icon.name))
                                     << QSize(icon.width, icon.height);
    }

    void everyIconAtItsSize()
    {
        QFETCH(QString, path);
        QFETCH(QSize, size);
        const QImage image(path);
        QVERIFY2(!image.isNull(), qPrintable(path));
        QCOMPARE(image.size(), size);
        QVERIFY(image.hasAlphaChannel());
    }

    void nothingElseAtTheRoot()
    {
        int count = 0;
        for (QDirIterator it(QStringLiteral(":/"), {QStringLiteral("*.png")}, QDir::Files); it.hasNext(); it.next())
            ++count;
        QCOMPARE(count, 30);
    }
};

VELLORAN_APP_TEST_MAIN(IconResourcesTest)
#include "IconResourcesTest.moc"
