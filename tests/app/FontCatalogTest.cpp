// The font catalog of the system font folders and the text extent measured through it.

#include "app/FontCatalog.h"
#include "app/SharedHelpers.h"
#include "app/support/AppTestMain.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace {

const char* const kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const char* const kLiberationSans = "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf";

bool Copy(const QString& from, const QString& to)
{
    QDir().mkpath(QFileInfo(to).path());
    return QFile::copy(from, to);
}

} // namespace

class FontCatalogTest : public QObject {
    Q_OBJECT

private slots:
    void displayNamesFollowTheFileNames()
    {
        const struct {
            const char* file;
            const char* name;
        } cases[] = {{"arialbd.ttf", "Arialbd"}, {"DejaVuSans.ttf", "DejaVuSans"}, {"a.ttf.ttf", "A"},
                     {"ARIALBD.TTF", ""},        {"Mixed.TTF.ttf", ""},            {"éclair.ttf", "Éclair"}};
        for (const auto& test : cases)
            QCOMPARE(FontCatalog::DisplayNameForFile(QString::fromUtf8(test.file)), QString::fromUtf8(test.name));
    }

    void foldersAreScannedWithTheirSubfolders()
    {
        QTemporaryDir first;
        QTemporaryDir second;
        QVERIFY(Copy(kDejaVuSans, first.filePath("arial.ttf")));
        QVERIFY(Copy(kDejaVuSans, first.filePath("ARIALBD.TTF")));
        QVERIFY(Copy(kLiberationSans, first.filePath("deep/er/times.ttf")));
        QVERIFY(Copy(kLiberationSans, second.filePath("arial.ttf")));
        QFile notes(first.filePath("notes.txt"));
        QVERIFY(notes.open(QIODevice::WriteOnly));

        const FontCatalog catalog({first.path(), second.path()});
        QCOMPARE(catalog.DisplayNames(), QStringList({QStringLiteral("Arial"), QStringLiteral("Times")}));
        QCOMPARE(catalog.PathOf(QStringLiteral("Times")), first.filePath("deep/er/times.ttf"));
        // The first folder wins.
        QCOMPARE(catalog.PathOf(QStringLiteral("Arial")), first.filePath("arial.ttf"));
        QVERIFY(catalog.PathOf(QStringLiteral("ARIALBD")).isEmpty());
        QVERIFY(catalog.PathOf(QStringLiteral("Notes")).isEmpty());
    }

    void textIsMeasuredInTheCatalogsFont()
    {
        QTemporaryDir folder;
        QVERIFY(Copy(kDejaVuSans, folder.filePath("dejavu.ttf")));
        const FontCatalog catalog({folder.path()});
        const QSize small = MeasureTextInTrueTypeFont(catalog, QStringLiteral("Hello"), QStringLiteral("Dejavu"), 10);
        const QSize large = MeasureTextInTrueTypeFont(catalog, QStringLiteral("Hello"), QStringLiteral("Dejavu"), 100);
        QVERIFY(small.width() > 0 && small.height() > 0);
        // Whole points, truncated: ten times the size is ten times the extent, give or take the cut.
        QVERIFY(qAbs(large.width() - 10 * small.width()) < 10);
        QVERIFY(qAbs(large.height() - 10 * small.height()) < 10);
        QCOMPARE(MeasureTextInTrueTypeFont(catalog, QString(), QStringLiteral("Dejavu"), 10), QSize(0, 0));
        // The same through the system folders' catalog, where Debian's DejaVu Sans lies.
        QCOMPARE(MeasureTextInTrueTypeFont(QStringLiteral("Hello"), QStringLiteral("DejaVuSans"), 100), large);
    }

    void fontsThatCannotBeFoundOrLoadedMeasureNothing()
    {
        QTemporaryDir folder;
        QFile broken(folder.filePath("broken.ttf"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("not a font");
        broken.close();
        QVERIFY(Copy(kDejaVuSans, folder.filePath("sub/inner.ttf")));
        const FontCatalog catalog({folder.path()});

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("cannot load the font .*broken\\.ttf")));
        QCOMPARE(MeasureTextInTrueTypeFont(catalog, QStringLiteral("Hello"), QStringLiteral("Broken"), 12),
                 QSize(0, 0));
        // A name is looked up, never joined to a folder: a path in it finds nothing.
        for (const char* name : {"Missing", "sub/inner", "../sub/inner", "Inner.ttf"}) {
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no TrueType font named")));
            QCOMPARE(MeasureTextInTrueTypeFont(catalog, QStringLiteral("Hello"), QString::fromUtf8(name), 12),
                     QSize(0, 0));
        }
        QVERIFY(MeasureTextInTrueTypeFont(catalog, QStringLiteral("Hello"), QStringLiteral("Inner"), 12).width() > 0);
    }
};

VELLORAN_APP_TEST_MAIN(FontCatalogTest)
#include "FontCatalogTest.moc"
