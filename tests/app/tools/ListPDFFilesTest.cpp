// The PDF file list: which dropped files reach the window, and how rows keep their paths.

#include "app/support/AppTestMain.h"
#include "app/tools/ListPDFFiles.h"

#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QSignalSpy>
#include <QUrl>

namespace {

// Drops the mime data in the middle of the list's viewport; returns whether it was accepted.
bool Drop(ListPDFFiles& list, QMimeData& data)
{
    const QPoint centre = list.viewport()->rect().center();
    QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list.viewport(), &enter);
    QDropEvent drop(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list.viewport(), &drop);
    return drop.isAccepted();
}

QList<QUrl> Urls(const QStringList& paths)
{
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls.append(QUrl::fromLocalFile(path));
    return urls;
}

} // namespace

class ListPDFFilesTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder;

    QString Make(const QString& name)
    {
        const QString path = folder.path() + QLatin1Char('/') + name;
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot create %s", qPrintable(path));
        file.write("%PDF-1.3\n");
        return path;
    }

private slots:
    void initTestCase() { QVERIFY(folder.isValid()); }

    void onlyPDFFilesAreHandedOnInDropOrder()
    {
        const QString upper = Make(QStringLiteral("A.PDF"));
        const QString lower = Make(QStringLiteral("b.pdf"));
        const QString text = Make(QStringLiteral("c.txt"));
        const QString twice = Make(QStringLiteral("report.pdf.txt"));
        QDir(folder.path()).mkdir(QStringLiteral("folder.pdf"));

        ListPDFFiles list;
        list.resize(300, 200);
        QSignalSpy dropped(&list, &ListPDFFiles::FilesDropped);
        QMimeData data;
        data.setUrls(Urls({upper, text, folder.path() + QStringLiteral("/folder.pdf"), twice, lower,
                           folder.path() + QStringLiteral("/missing.pdf")}) +
                     QList<QUrl>{QUrl(QStringLiteral("https://example.com/remote.pdf"))});
        QVERIFY(Drop(list, data));
        QCOMPARE(dropped.count(), 1);
        QCOMPARE(dropped.first().first().toStringList(), (QStringList{upper, lower}));
        QCOMPARE(list.count(), 0); // the window fills the list, not the drop
    }

    void aDropWithoutPDFFilesIsAcceptedButSilent()
    {
        const QString text = Make(QStringLiteral("notes.txt"));
        ListPDFFiles list;
        QSignalSpy dropped(&list, &ListPDFFiles::FilesDropped);
        QMimeData data;
        data.setUrls(Urls({text, folder.path()}));
        QVERIFY(Drop(list, data));
        QCOMPARE(dropped.count(), 0);
        QCOMPARE(list.count(), 0);
    }

    void aNameWithoutDotIsItsOwnExtension()
    {
        QDir(folder.path()).mkdir(QStringLiteral("plain"));
        const QString bare = Make(QStringLiteral("plain/Pdf"));
        const QString other = Make(QStringLiteral("plain/readme"));
        ListPDFFiles list;
        QSignalSpy dropped(&list, &ListPDFFiles::FilesDropped);
        QMimeData data;
        data.setUrls(Urls({other, bare}));
        QVERIFY(Drop(list, data));
        QCOMPARE(dropped.count(), 1);
        QCOMPARE(dropped.first().first().toStringList(), QStringList{bare});
    }

    void namesWithBackslashOrHashSurviveADrop()
    {
        const QString odd = Make(QStringLiteral("we\\ird #1 [draft].pdf"));
        ListPDFFiles list;
        QSignalSpy dropped(&list, &ListPDFFiles::FilesDropped);
        QMimeData data;
        data.setUrls(Urls({odd}));
        Drop(list, data);
        QCOMPARE(dropped.count(), 1);
        QCOMPARE(dropped.first().first().toStringList(), QStringList{odd});
    }

    void textIsNotADropOfFiles()
    {
        ListPDFFiles list;
        QSignalSpy dropped(&list, &ListPDFFiles::FilesDropped);
        QMimeData data;
        data.setText(QStringLiteral("file:///tmp/a.pdf"));
        QVERIFY(!Drop(list, data));
        QCOMPARE(dropped.count(), 0);
        QCOMPARE(list.count(), 0);
    }

    void rowsKeepTheRealPathBesideTheShownText()
    {
        ListPDFFiles list;
        const QString odd = QStringLiteral("/data/we\\ird #1.pdf");
        list.AppendFile(QStringLiteral("/data/a.pdf"));
        list.AppendFile(odd);
        QCOMPARE(list.count(), 2);
        QCOMPARE(list.item(1)->text(), QDir::toNativeSeparators(odd));
        QCOMPARE(list.FilePath(1), odd);
        QCOMPARE(ListPDFFiles::FilePath(list.item(0)), QStringLiteral("/data/a.pdf"));
        QCOMPARE(list.FilePaths(), (QStringList{QStringLiteral("/data/a.pdf"), odd}));
        QVERIFY(list.FilePath(7).isNull());
        QVERIFY(!list.item(0)->icon().isNull());
    }

    void theLogoIsPaintedBehindTheItems()
    {
        ListPDFFiles list;
        list.resize(400, 300);
        list.show();
        const QImage shot = list.grab().toImage();
        const QColor background = shot.pixelColor(5, 5);
        // The logo's centre lies at the middle of the widget; its colours differ from the
        // plain background even at 0.3 opacity.
        bool logoSeen = false;
        for (int dx = -20; dx <= 20 && !logoSeen; dx += 2)
            logoSeen = shot.pixelColor(200 + dx, 150 - 15) != background;
        QVERIFY(logoSeen);
    }
};

VELLORAN_APP_TEST_MAIN(ListPDFFilesTest)
#include "ListPDFFilesTest.moc"
