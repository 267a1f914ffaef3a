// An output written beside its target: nothing but the temporary file is touched until Commit,
// which replaces the target (or the file a link names) in one step; whatever goes wrong leaves
// no temporary file behind.

#include "app/support/AppTestMain.h"
#include "app/support/FileSizeLimit.h"
#include "app/support/TestPDF.h"
#include "app/tools/StagedOutput.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

using TestPDF::Write;

QByteArray Contents(const QString& path)
{
    return TestPDF::Read(path);
}

QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace

class StagedOutputTest : public QObject {
    Q_OBJECT

private slots:
    void aCommitReplacesTheTargetOnlyThen()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("out.pdf"));
        QVERIFY(Write(target, "old"));
        {
            StagedOutput staged(target);
            QVERIFY(staged.Create());
            QCOMPARE(QFileInfo(staged.TemporaryPath()).path(), dir.path());
            QVERIFY(QFileInfo(staged.TemporaryPath()).fileName().startsWith(QStringLiteral(".out.pdf.")));
            QVERIFY(Write(staged.TemporaryPath(), "new"));
            QCOMPARE(Contents(target), QByteArray("old"));
        } // dropped without a commit
        QCOMPARE(Entries(dir.path()), QStringList{QStringLiteral("out.pdf")});
        QCOMPARE(Contents(target), QByteArray("old"));

        StagedOutput staged(target);
        QVERIFY(staged.Create());
        QVERIFY(Write(staged.TemporaryPath(), "new"));
        QVERIFY(staged.Commit());
        QCOMPARE(Contents(target), QByteArray("new"));
        QCOMPARE(Entries(dir.path()), QStringList{QStringLiteral("out.pdf")});
    }

    void aCopyIsTheSourceByteForByte()
    {
        QTemporaryDir dir;
        QByteArray bytes(3 << 20, '\0');
        for (int i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<char>(i * 7 + i / 4096);
        const QString source = dir.filePath(QStringLiteral("source.pdf"));
        QVERIFY(Write(source, bytes));
        StagedOutput staged(dir.filePath(QStringLiteral("copy.pdf")));
        QVERIFY(staged.CreateAsCopyOf(source));
        QCOMPARE(Contents(staged.TemporaryPath()), bytes);
        QVERIFY(!staged.CreateAsCopyOf(dir.filePath(QStringLiteral("missing.pdf"))));
        QCOMPARE(staged.ErrorString(), QStringLiteral("No such file or directory"));
        QCOMPARE(Entries(dir.path()), QStringList{QStringLiteral("source.pdf")});
    }

    // A disk that takes only part of a write (here a limit on the file size) is named by the
    // system's own reason, never by an "Unknown error".
    void aCopyThatDoesNotFitSaysTheSystemsReason()
    {
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("source.pdf"));
        QVERIFY(Write(source, QByteArray(3 << 20, 'x')));
        StagedOutput staged(dir.filePath(QStringLiteral("copy.pdf")));
        bool copied = true;
        {
            const FileSizeLimit full(1536 * 1024); // the second megabyte is taken in part
            QVERIFY(full.IsSet());
            copied = staged.CreateAsCopyOf(source);
        }
        QVERIFY(!copied);
        QCOMPARE(staged.ErrorString(), QStringLiteral("File too large"));
        QCOMPARE(Entries(dir.path()), QStringList{QStringLiteral("source.pdf")});
    }

    // A link is kept and the file it names is replaced; a target that cannot be written says why
    // and leaves nothing behind.
    void linksAndFailures()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("real")));
        const QString real = dir.filePath(QStringLiteral("real/file.pdf"));
        const QString link = dir.filePath(QStringLiteral("link.pdf"));
        QVERIFY(Write(real, "old"));
        QVERIFY(QFile::link(real, link));
        StagedOutput linked(link);
        QCOMPARE(linked.TargetPath(), real);
        QVERIFY(linked.Create());
        QVERIFY(Write(linked.TemporaryPath(), "new"));
        QVERIFY(linked.Commit());
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(Contents(real), QByteArray("new"));

        StagedOutput missing(dir.filePath(QStringLiteral("no such folder/out.pdf")));
        QVERIFY(!missing.Create());
        QCOMPARE(missing.ErrorString(), QStringLiteral("No such file or directory"));

        // The system would cut the name at the NUL: a file of another name, that no removal by
        // the full name reaches.
        StagedOutput cut(dir.filePath(QStringLiteral("out") + QChar(0) + QStringLiteral("x.pdf")));
        QVERIFY(!cut.CreateAsCopyOf(real));
        QCOMPARE(cut.ErrorString(), QStringLiteral("the name holds a NUL character, which no file name may hold"));

        const QString folder = dir.filePath(QStringLiteral("real"));
        StagedOutput overFolder(folder);
        QVERIFY(overFolder.Create());
        QVERIFY(!overFolder.Commit());
        QVERIFY(!overFolder.ErrorString().isEmpty());
        QVERIFY(QFileInfo(folder).isDir());
        QCOMPARE(Entries(dir.path()), QStringList{QStringLiteral("link.pdf")});
        QCOMPARE(Entries(folder), QStringList{QStringLiteral("file.pdf")});
    }
};

VELLORAN_APP_TEST_MAIN(StagedOutputTest)
#include "StagedOutputTest.moc"
