// Memory that runs out fails the job it runs out in, and the program goes on: a file of each file
// tool, and each export, fails with the reason, its folder is left as it was, and the process ends
// normally. Memory runs out under an address-space limit ("ulimit -v"): a little above what the
// process holds, for a page that holds a string of 24 MB or an editor that holds millions of
// characters; or, as a user met it, 1,000,000 KB for the whole process while a text watermark
// embeds the user's own DejaVuSans, whose name table is 300 MiB. Each row runs in a process of its
// own: memory that an earlier job freed stays mapped for a later one to take, which would leave it
// more room than the limit says. AddressSanitizer cannot run under such a limit, and skips those
// rows; it runs the last one, where memory runs out in the middle of a page's objects as a read
// throws, and its leak check sees whether what the parser had built goes.

#include "app/FontCatalog.h"
#include "app/OutOfMemory.h"
#include "app/create/CreateNewPDFWindow.h"
#include "app/create/jagpdf/JagPDF.h"
#include "app/ocr/ExtractTextFromScanWindow.h"
#include "app/support/AppTestMain.h"
#include "app/support/ScriptedPrompts.h"
#include "app/support/TestPDF.h"
#include "app/support/WindowTestSupport.h"
#include "app/tools/crop/CropGeometry.h"
#include "app/tools/crop/PDFCropper.h"
#include "app/tools/merge/PDFMerger.h"
#include "app/tools/split/PDFSplitter.h"
#include "app/tools/watermark/PDFWatermarker.h"
#include "tests/pdf/support/ResourceLimit.h"

#include "pdf/io/IByteReaderWithPosition.h"
#include "pdf/objects/PDFDictionary.h"
#include "pdf/objects/RefCountPtr.h"
#include "pdf/parsing/PDFParser.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include <malloc.h>

namespace {

// What a job may take besides its one large allocation.
constexpr rlim_t kRoom = 8u << 20;
constexpr qint64 kNameTableBytes = qint64(300) << 20;

// A copy of the system's DejaVuSans whose name table, moved to the end, is padded with zeros to
// kNameTableBytes (sparse on the disk).
bool WritePaddedFont(const QString& path)
{
    QFile system(QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"));
    if (!system.open(QIODevice::ReadOnly))
        return false;
    QByteArray font = system.readAll();
    font.append(QByteArray((4 - font.size() % 4) % 4, '\0'));
    const int tables = qFromBigEndian<quint16>(font.constData() + 4);
    for (int i = 0; i < tables; ++i) {
        char* record = font.data() + 12 + 16 * i;
        if (QByteArray(record, 4) != "name")
            continue;
        const QByteArray names = font.mid(qFromBigEndian<quint32>(record + 8), qFromBigEndian<quint32>(record + 12));
        qToBigEndian<quint32>(static_cast<quint32>(font.size()), record + 8);
        qToBigEndian<quint32>(static_cast<quint32>(kNameTableBytes), record + 12);
        const qint64 start = font.size();
        font.append(names);
        QFile padded(path);
        return padded.open(QIODevice::WriteOnly) && padded.write(font) == font.size() &&
               padded.resize(start + kNameTableBytes);
    }
    return false;
}

// A file's bytes, of which the one at `at` cannot be held: a read that reaches it throws, as memory
// that runs out does.
class RunsOutAt : public IByteReaderWithPosition {
public:
    RunsOutAt(QByteArray bytes, qint64 at) : mBytes(std::move(bytes)), mAt(at) {}
    size_t Read(Byte* inBuffer, size_t inBufferSize) override
    {
        const qint64 count = std::min<qint64>(static_cast<qint64>(inBufferSize), mBytes.size() - mPosition);
        if (mPosition <= mAt && mAt < mPosition + count)
            throw std::bad_alloc();
        std::memcpy(inBuffer, mBytes.constData() + mPosition, static_cast<size_t>(count));
        mPosition += count;
        return static_cast<size_t>(count);
    }
    bool HasMoreBytes() override { return mPosition < mBytes.size(); }
    void SeekFromStart(LongFilePositionType inOffset) override
    {
        mPosition = std::min<qint64>(inOffset, mBytes.size());
    }
    void SeekFromEnd(LongFilePositionType inOffset) override
    {
        mPosition = std::max<qint64>(0, mBytes.size() - inOffset);
    }
    LongFilePositionType TellPosition() override { return mPosition; }
    void SkipForward(size_t inSkipSize) override { SeekFromStart(mPosition + static_cast<qint64>(inSkipSize)); }

private:
    QByteArray mBytes;
    qint64 mAt;
    qint64 mPosition = 0;
};

QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

} // namespace

class MemoryRunsOutTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder;
    QString source;

    // Set in the process that runs one row.
    static bool RunsOneRow() { return qEnvironmentVariableIsSet("VELLORAN_MEMORY_ROW"); }

    // One page whose dictionary holds the string: every tool reads it with the page.
    bool MakeSource()
    {
        TestPDF::Extras extras;
        extras.pages << "/PieceInfo << /Big (" + QByteArray(24 << 20, 'x') + ") >>";
        source = folder.filePath(QStringLiteral("big.pdf"));
        return TestPDF::Write(source, TestPDF::Make({QStringLiteral("Page")}, false, extras));
    }

    // The reason of each source that failed.
    static QStringList Reasons(const QList<FailedFile>& failed)
    {
        QStringList reasons;
        for (const FailedFile& file : failed)
            reasons << file.reason;
        return reasons;
    }

    QStringList RunTool(const QString& job, const QString& out)
    {
        if (!MakeSource())
            return {};
        const QString names = QStringLiteral("[FileName]");
        const AddressSpaceLimit limit(AddressSpaceInUse() + kRoom);
        if (!limit.IsSet())
            return {};
        if (job == QLatin1String("merge"))
            return {PDFMerger().Merge({source}, out + QStringLiteral("/merged.pdf")).failure};
        if (job == QLatin1String("split by ranges"))
            return Reasons(PDFSplitter().SplitByPageRanges(source, QStringLiteral("1"), out, names));
        if (job == QLatin1String("split into parts"))
            return Reasons(PDFSplitter().SplitByPagesPerInterval({source}, 1, out, names));
        return Reasons(PDFCropper().CropDocumentPageIntervals(source, QStringLiteral("1"), CropUnitPoints, 10, 10, 200,
                                                              200, out, names));
    }

    // The user's DejaVuSans (in $XDG_DATA_HOME/fonts) is the padded font; the page is small.
    QStringList WatermarkWithPaddedFont(const QString& out)
    {
        const QString fonts = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/fonts");
        const QString font = fonts + QStringLiteral("/DejaVuSans.ttf");
        if (!QDir().mkpath(fonts) || !WritePaddedFont(font))
            return {};
        const FontCatalog catalog(QStandardPaths::standardLocations(QStandardPaths::FontsLocation));
        const QString page = folder.filePath(QStringLiteral("page.pdf"));
        if (catalog.PathOf(QStringLiteral("DejaVuSans")) != font ||
            !TestPDF::Write(page, TestPDF::Make({QStringLiteral("Page")})))
            return {};
        PDFWatermarker engine;
        engine.SetFontCatalog(&catalog);
        QList<FailedFile> failed;
        {
            const AddressSpaceLimit limit(rlim_t(1000000) * 1024);
            if (limit.IsSet())
                failed = engine.AddTextWatermark({page}, QStringLiteral("Draft"), QStringLiteral("DejaVuSans"), 12,
                                                 0, 2, 0, 5, 5, out, QStringLiteral("[FileName]"));
        }
        QFile::remove(font);
        return FailedPaths(failed) == QStringList{page} ? Reasons(failed) : QStringList();
    }

    // Memory that runs out inside a call of the PDF layer reaches the export as std::bad_alloc.
    QStringList MeasureInPDFLayer(const QString& out)
    {
        jag::pdf::Document document = jag::pdf::create_file((out + QStringLiteral("/layer.pdf")).toStdString());
        const jag::pdf::Font font = document.font_load("standard; name=Times-Roman; size=12");
        const std::string text(24 << 20, 'x');
        QString reason;
        {
            const AddressSpaceLimit limit(AddressSpaceInUse() + kRoom);
            if (!limit.IsSet() || SucceedsUnlessMemoryRunsOut([&] { return font.advance(text) > 0; }, reason))
                return {};
        }
        return {reason};
    }

    // A page whose dictionary holds a long array, in the middle of which memory runs out.
    static QStringList ReadPageInPart()
    {
        const QByteArray zeros = QByteArray("0 ").repeated(200000);
        TestPDF::Extras extras;
        extras.pages << "/Big [" + zeros + "]";
        const QByteArray pdf = TestPDF::Make({QStringLiteral("Page")}, false, extras);
        RunsOutAt file(pdf, pdf.indexOf("/Big [") + zeros.size() / 2);
        PDFParser parser;
        QString reason;
        const auto readPage = [&] {
            return parser.ParseDocument(&file) == eSuccess && RefCountPtr<PDFDictionary>(parser.ParsePage(0));
        };
        if (SucceedsUnlessMemoryRunsOut(readPage, reason))
            return {};
        return {reason};
    }

    // The export's reason, from the second line of its warning.
    QStringList Export(const QString& job, const QString& target)
    {
        ScriptedPrompts prompts;
        prompts.dialogHandler = [](QDialog&) { return QDialog::Accepted; };
        std::unique_ptr<QWidget> window;
        QTextEdit* editor = nullptr;
        const bool scan = job.startsWith(QLatin1String("scan")) || job.startsWith(QLatin1String("TXT"));
        if (scan) {
            window = std::make_unique<ExtractTextFromScanWindow>();
            editor = Find<QTextEdit>(*window, "editText");
        } else {
            window = std::make_unique<CreateNewPDFWindow>();
            editor = Find<QTextEdit>(*window, "editNewPDF");
        }
        // In the page each quote mark takes six characters: the document's copy for the browser
        // fits, the page does not, after the image's folder was made. Short paragraphs: Qt lays
        // them out, and does not check every allocation of that.
        if (job == QLatin1String("HTML export")) {
            const QString image = folder.filePath(QStringLiteral("picture.png"));
            QImage picture(40, 20, QImage::Format_RGB32);
            picture.fill(Qt::darkRed);
            if (!picture.save(image))
                return {};
            editor->setPlainText((QString(16 << 10, QLatin1Char('"')) + QLatin1Char('\n')).repeated(32));
            editor->append(QStringLiteral("<img src=\"%1\">").arg(image));
        } else {
            // The scan window's editor lays its text out at its fixed width as soon as it is set,
            // and Qt takes minutes to break one word of millions of characters into lines.
            editor->setPlainText(scan ? QStringLiteral("xxxxxxx ").repeated(1 << 20) : QString(8 << 20, QLatin1Char('x')));
        }
        prompts.fileNameAnswers << target;
        const char* button = job == QLatin1String("PDF export")        ? "buttonExportPDF"
                             : job == QLatin1String("HTML export")     ? "buttonExportHTML"
                             : job == QLatin1String("scan PDF export") ? "buttonExportToPDF"
                             : job == QLatin1String("TXT export")      ? "buttonExportToTXT"
                                                                       : "buttonAppendToTXT";
        {
            const AddressSpaceLimit limit(AddressSpaceInUse() + kRoom);
            if (!limit.IsSet())
                return {};
            Find<QPushButton>(*window, button)->click();
        }
        QStringList reasons;
        for (const ScriptedPrompts::Record& record : prompts.Of(QStringLiteral("warning")))
            reasons << record.text.section(QLatin1Char('\n'), 1);
        return prompts.Of(QStringLiteral("information")).isEmpty() ? reasons : QStringList();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(folder.isValid());
        // Large blocks are mapped on their own and given back when freed, as is the heap's free
        // top: what the process maps is what it holds, and a limit a little above it leaves the
        // room it says.
        if (VELLORAN_ADDRESS_SPACE_LIMITS)
            QVERIFY(mallopt(M_MMAP_THRESHOLD, 1 << 20) == 1 && mallopt(M_TRIM_THRESHOLD, 1 << 20) == 1);
    }

    void eachJobFailsAlone_data()
    {
        QTest::addColumn<QString>("job");
        for (const char* job : {"merge", "split by ranges", "split into parts", "crop", "text watermark",
                                "PDF export", "HTML export", "scan PDF export", "TXT export", "TXT append",
                                "PDF layer", "page read in part"})
            QTest::newRow(job) << QString::fromLatin1(job);
    }

    void eachJobFailsAlone()
    {
        QFETCH(QString, job);
        if (!VELLORAN_ADDRESS_SPACE_LIMITS && job != QLatin1String("page read in part"))
            QSKIP("AddressSanitizer reserves more address space than a limit would leave");
        if (!RunsOneRow()) {
            QProcess row;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("VELLORAN_MEMORY_ROW"), QStringLiteral("1"));
            row.setProcessEnvironment(environment);
            row.setProcessChannelMode(QProcess::MergedChannels);
            row.start(QCoreApplication::applicationFilePath(), {QStringLiteral("eachJobFailsAlone:") + job});
            QVERIFY(row.waitForFinished(240000));
            const QByteArray output = row.readAll();
            QVERIFY2(row.exitStatus() == QProcess::NormalExit && row.exitCode() == 0, output.constData());
            QVERIFY2(output.contains("PASS   : MemoryRunsOutTest::eachJobFailsAlone(" + job.toLatin1() + ")"),
                     output.constData());
            return;
        }
        const QString out = folder.filePath(QStringLiteral("out"));
        QVERIFY(QDir().mkpath(out));
        const QString notes = out + QStringLiteral("/notes.txt");
        if (job == QLatin1String("TXT append"))
            QVERIFY(TestPDF::Write(notes, "Notes\r\n"));
        const QStringList before = Entries(out);

        QStringList reasons;
        if (job == QLatin1String("text watermark"))
            reasons = WatermarkWithPaddedFont(out);
        else if (job == QLatin1String("PDF layer"))
            reasons = MeasureInPDFLayer(out);
        else if (job == QLatin1String("page read in part"))
            reasons = ReadPageInPart();
        else if (job.contains(QLatin1String("export")) || job.contains(QLatin1String("append")))
            reasons = Export(job, job == QLatin1String("TXT append") ? notes : out + QStringLiteral("/export"));
        else
            reasons = RunTool(job, out);

        QCOMPARE(reasons, QStringList{QStringLiteral("memory ran out")});
        QCOMPARE(Entries(out), before);
        if (job == QLatin1String("TXT append"))
            QCOMPARE(TestPDF::Read(notes), QByteArray("Notes\r\n"));
    }
};

VELLORAN_APP_TEST_MAIN(MemoryRunsOutTest)
#include "MemoryRunsOutTest.moc"
