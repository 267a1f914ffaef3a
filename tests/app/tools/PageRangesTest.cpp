// The page-range text and the output names of the split, watermark and crop tools: every item
// keeps its interval index whether or not it is used, a range is taken as typed and clamped to
// a document only when it is used, and an output always lands in the output folder.

#include "app/support/AppTestMain.h"
#include "app/tools/OutputNames.h"
#include "app/tools/PageRanges.h"

#include <climits>

namespace {

// "first-last@index" for each interval, then "/items".
QString Describe(const PageRanges& ranges)
{
    QStringList parts;
    for (const PageInterval& interval : ranges.intervals)
        parts << QStringLiteral("%1-%2@%3").arg(interval.first).arg(interval.last).arg(interval.index);
    return parts.join(QLatin1Char(' ')) + QStringLiteral("/%1").arg(ranges.itemCount);
}

} // namespace

class PageRangesTest : public QObject {
    Q_OBJECT

private slots:
    void readingTheText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("read");
        QTest::newRow("the split default") << "[1-4],5,[6-9]" << "1-4@1 5-5@2 6-9@3/3";
        QTest::newRow("skipped items keep their place") << "5,,x,[7-8]" << "5-5@1 7-8@4/4";
        QTest::newRow("no brackets, zero, negative, word, empty") << "5-7,0,-2,x,,[2-3]" << "2-3@6/6";
        QTest::newRow("one, nothing, three") << "1,,3" << "1-1@1 3-3@3/3";
        QTest::newRow("blanks outside the brackets") << " [2-3],[2-3] " << "/2";
        QTest::newRow("brackets inside are removed too") << "[[2-3]]" << "2-3@1/1";
        QTest::newRow("a third part is ignored") << "[2-3-5]" << "2-3@1/1";
        QTest::newRow("an open start reads as 0") << "[-3]" << "0-3@1/1";
        QTest::newRow("reversed and zero ranges are kept as typed") << "[3-1],[0-2]" << "3-1@1 0-2@2/2";
        QTest::newRow("a bracketed page is that page") << "[5],[],[x],[0]" << "5-5@1/4";
        QTest::newRow("a bracketed range of words names nothing") << "[x-y],[x-3],[2-]" << "2-0@3/3";
        QTest::newRow("a page named twice is used twice") << "[1-2],[1-2],2" << "1-2@1 1-2@2 2-2@3/3";
        QTest::newRow("an empty text is one empty item") << "" << "/1";
        QTest::newRow("numbers beyond int stand for the end")
            << "[1-99999999999999999999999],99999999999,[-99999999999-2]"
            << QStringLiteral("1-%1@1 %1-%1@2 0-%1@3/3").arg(INT_MAX);
    }

    void readingTheText()
    {
        QFETCH(QString, text);
        QFETCH(QString, read);
        QCOMPARE(Describe(ReadPageRanges(text)), read);
    }

    // The items that name nothing are kept as typed, for the report.
    void skippedItemsAreKept()
    {
        QCOMPARE(ReadPageRanges(QStringLiteral("2,x,,[y-z],0")).skipped, (QStringList{"x", "", "[y-z]", "0"}));
        QCOMPARE(ReadPageRanges(QString()).skipped, QStringList{QString()});
        // Quoted short, with what cannot be printed escaped.
        QCOMPARE(NoPageNamedReason(QStringLiteral("\u00e4\t\u202e") + QString(40, QLatin1Char('x'))),
                 QStringLiteral("the page intervals \"\u00e4\\x09\\u202E") + QString(37, QLatin1Char('x')) +
                     QStringLiteral("...\" name no page"));
    }

    void clampingToADocument_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<int>("pages");
        QTest::addColumn<QString>("named"); // "first-last", or "none"
        QTest::newRow("inside") << 2 << 4 << 9 << "2-4";
        QTest::newRow("beyond the end") << 6 << 9 << 8 << "6-8";
        QTest::newRow("two billion pages") << 1 << 2000000000 << 9 << "1-9";
        QTest::newRow("from zero") << 0 << 2 << 9 << "1-2";
        QTest::newRow("open start") << INT_MIN << 3 << 9 << "1-3";
        QTest::newRow("reversed") << 3 << 1 << 9 << "none";
        QTest::newRow("wholly after") << 12 << 15 << 9 << "none";
        QTest::newRow("zero to zero") << 0 << 0 << 9 << "none";
    }

    void clampingToADocument()
    {
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(int, pages);
        QFETCH(QString, named);
        PageInterval interval;
        interval.first = first;
        interval.last = last;
        int from = 0;
        int to = 0;
        const bool any = interval.ClampTo(pages, from, to);
        QCOMPARE(any ? QStringLiteral("%1-%2").arg(from).arg(to) : QStringLiteral("none"), named);
    }

    void outputPaths_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("path"); // empty: refused
        const QString source = QStringLiteral("C:/Docs/report.pdf");
        QTest::newRow("the split default") << "D:/Out" << "[FileName](Page[IntervalIndex])" << source
                                           << "D:/Out/report(Page2).pdf";
        QTest::newRow("every token, every time") << "D:/Out" << "[FileName]_[IntervalStart]-[IntervalEnd]_[FileName]"
                                                 << source << "D:/Out/report_5-9_report.pdf";
        QTest::newRow("another case stays as typed") << "D:/Out" << "[filename][Other]" << source
                                                     << "D:/Out/[filename][Other].pdf";
        QTest::newRow("the extension keeps its case") << "/out" << "[FileName]" << "/in/A.B.PDF" << "/out/A.B.PDF";
        QTest::newRow("a folder with a dot") << "/out" << "[FileName]-[IntervalIndex]" << "/in/v1.2/notes"
                                             << "/out/notes-2";
        QTest::newRow("a name from a project cannot leave the folder")
            << "/out" << "../../etc/[FileName]" << "/in/a.pdf" << "/out/....etca.pdf";
        QTest::newRow("a folder ending in a slash") << "/out/" << "x" << "/in/a.pdf" << "/out/x.pdf";
        QTest::newRow("no name at all") << "/out" << "" << "/in/noextension" << "";
        QTest::newRow("only dots") << "/out" << ".." << "/in/noextension" << "";
        QTest::newRow("no folder") << "" << "[FileName]" << source << "";
    }

    void outputPaths()
    {
        QFETCH(QString, folder);
        QFETCH(QString, pattern);
        QFETCH(QString, source);
        QFETCH(QString, path);
        QString reason;
        const QString formed = OutputFilePath(folder, pattern, source,
                                              {{QStringLiteral("[IntervalIndex]"), QStringLiteral("2")},
                                               {QStringLiteral("[IntervalStart]"), QStringLiteral("5")},
                                               {QStringLiteral("[IntervalEnd]"), QStringLiteral("9")}},
                                              reason);
        QCOMPARE(formed, path);
        QCOMPARE(reason.isEmpty(), !path.isEmpty());
    }
};

VELLORAN_APP_TEST_MAIN(PageRangesTest)
#include "PageRangesTest.moc"
