// The merge window against its engine on the same 200 ordinary files (2 to 6 text pages each,
// fonts, a logo image and a letterhead form shared by the pages of a file):
//   1. PDFMerger::Merge alone, on this thread;
//   2. the same merge from the window, offscreen: the files added through the scripted file
//      dialog, Merge pressed with a scripted save answer, the event loop run until the report.
// For the window it measures the wall time from the press to the report and, during the run,
// the longest gap between the ticks of a 10 ms timer on the GUI thread, the progress bar's
// value changes and whether the Merge button stayed disabled. Engine and window runs take
// turns, after a warm-up run of each; medians and spreads are shown. The goal: no more than 10%
// above the engine alone. The window reads its output back before it reports, so that time is
// shown as well. Both replace the output of their last run, so both flush it to the disk before
// the replacement. What each wrote in the last round is checked (qpdf's check, the page count,
// every input's pages in their place) and a wrong output fails the benchmark.
// Usage: bench_merge_window [repeats] [--photos]; with --photos each file also carries a
// 120 KB picture on its first page.

#include "bench/BenchSupport.h"
#include "bench/OutputChecks.h"
#include "app/AppIdentity.h"
#include "app/support/AppTestMain.h"
#include "app/support/ScriptedPrompts.h"
#include "app/tools/PDFQueries.h"
#include "app/tools/merge/MergePDFFilesWindow.h"
#include "app/tools/merge/PDFMerger.h"
#include "tests/pdf/copying/FlateTestData.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kFileCount = 200;

// An ordinary document of a few pages: running text in two standard fonts, a letterhead form
// and a logo image that every page shares, in one page-tree node. Classic layout.
// With a photo, the first page also shows a 200 x 200 picture of noise (about 120 KB that no
// compression shrinks), as scanned or photographed material makes ordinary files larger.
std::string MakeDocument(int pages, unsigned seed, bool withPhoto)
{
    parsertest::PdfBuilder builder;
    builder.Add("<< /Type /Catalog /Pages 2 0 R >>");
    builder.Add(""); // the page tree, filled in below
    const int helvetica = builder.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
    const int times = builder.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Times-Roman /Encoding /WinAnsiEncoding >>");
    std::string logo;
    for (int i = 0; i < 48 * 48; ++i)
        logo += std::string{static_cast<char>(i % 48 * 5), static_cast<char>(i / 48 * 5), static_cast<char>(seed)};
    const int logoID = builder.Add(copytest::FlateStream(
        logo, " /Type /XObject /Subtype /Image /Width 48 /Height 48 /ColorSpace /DeviceRGB /BitsPerComponent 8"));
    const int letterhead = builder.Add(copytest::FlateStream(
        "q 0.1 0.2 0.5 rg 0 0 500 30 re f Q BT /F2 14 Tf 1 1 1 rg 10 10 Td (Velloran Office Supplies) Tj ET",
        " /Type /XObject /Subtype /Form /BBox [0 0 500 30] /Resources << /Font << /F2 " + std::to_string(times) +
            " 0 R >> >>"));
    std::string photoEntry;
    if (withPhoto) {
        std::string noise(200 * 200 * 3, '\0');
        unsigned state = seed;
        for (char& byte : noise) {
            state = state * 1664525u + 1013904223u;
            byte = static_cast<char>(state >> 24);
        }
        const int photoID = builder.Add(copytest::FlateStream(
            noise, " /Type /XObject /Subtype /Image /Width 200 /Height 200 /ColorSpace /DeviceRGB /BitsPerComponent 8"));
        photoEntry = " /Photo " + std::to_string(photoID) + " 0 R";
    }
    const std::string resources = "<< /ProcSet [/PDF /Text /ImageC] /Font << /F1 " + std::to_string(helvetica) +
                                  " 0 R /F2 " + std::to_string(times) + " 0 R >> /XObject << /Logo " +
                                  std::to_string(logoID) + " 0 R /Head " + std::to_string(letterhead) + " 0 R" +
                                  photoEntry + " >> >>";

    const char* words[] = {"merge", "order", "document", "page", "report", "quarterly", "figures", "the", "and",
                           "of", "customer", "invoice", "total", "amount", "delivery", "schedule", "review"};
    auto next = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    std::string kids;
    for (int page = 0; page < pages; ++page) {
        std::string content = "q 1 0 0 1 56 760 cm /Head Do Q q 48 0 0 48 500 700 cm /Logo Do Q\n";
        if (withPhoto && page == 0)
            content += "q 200 0 0 200 356 100 cm /Photo Do Q\n";
        content += "BT /F2 16 Tf 56 720 Td (Page " + std::to_string(page + 1) + ") Tj ET\n";
        content += "BT /F1 10 Tf 56 690 Td 13 TL\n";
        for (int line = 0; line < 45; ++line) {
            std::string text;
            for (int word = 0; word < 11; ++word)
                text += std::string(words[next() % 17]) + " ";
            content += "(" + text + ") '\n";
        }
        content += "ET\n";
        const int contentID = builder.Add(copytest::FlateStream(content));
        const int pageID = builder.Add("<< /Type /Page /Parent 2 0 R /Resources " + resources + " /Contents " +
                                       std::to_string(contentID) + " 0 R >>");
        kids += std::to_string(pageID) + " 0 R ";
    }
    builder.objects[1] =
        "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages) + " /MediaBox [0 0 612 792] >>";
    return builder.Build();
}

bool WriteFile(const QString& path, const std::string& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size());
}

// The scripted prompts, telling the benchmark the moment the job's report arrives.
class ReportingPrompts : public ScriptedPrompts {
public:
    std::function<void()> onReport;

    void Information(QWidget* parent, const QString& title, const QString& text) override
    {
        ScriptedPrompts::Information(parent, title, text);
        if (onReport)
            onReport();
    }
    void Warning(QWidget* parent, const QString& title, const QString& text) override
    {
        ScriptedPrompts::Warning(parent, title, text);
        if (onReport)
            onReport();
    }
};

struct WindowRun {
    double seconds = 0;
    double longestGapMs = 0;
    int ticks = 0;
    int progressChanges = 0;
    int buttonSamples = 0;          // looks at the button while the job ran
    bool buttonStayedDisabled = true;
    QString report;
};

template <class Widget>
Widget* Find(QWidget& window, const char* name)
{
    auto* widget = window.findChild<Widget*>(QLatin1String(name));
    if (!widget) {
        std::fprintf(stderr, "no %s in the window\n", name);
        std::exit(1);
    }
    return widget;
}

WindowRun MergeFromWindow(MergePDFFilesWindow& window, ReportingPrompts& prompts, const QString& output)
{
    WindowRun run;
    auto* button = Find<QPushButton>(window, "buttonMergeFiles");
    auto* progress = Find<QProgressBar>(window, "progressMerge");
    auto sampleButton = [&]() {
        if (!window.IsWorking())
            return;
        ++run.buttonSamples;
        if (button->isEnabled())
            run.buttonStayedDisabled = false;
    };
    const QMetaObject::Connection progressConnection =
        QObject::connect(progress, &QProgressBar::valueChanged, [&](int) {
            ++run.progressChanges;
            sampleButton();
        });

    QEventLoop loop;
    QElapsedTimer clock;
    qint64 lastTick = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout, [&]() {
        const qint64 now = clock.nsecsElapsed();
        run.longestGapMs = std::max(run.longestGapMs, (now - lastTick) / 1e6);
        lastTick = now;
        ++run.ticks;
        sampleButton();
    });
    bool reported = false;
    prompts.onReport = [&]() {
        run.seconds = clock.nsecsElapsed() / 1e9;
        // The gap up to the report counts as well.
        run.longestGapMs = std::max(run.longestGapMs, (clock.nsecsElapsed() - lastTick) / 1e6);
        reported = true;
        loop.quit();
    };
    QTimer::singleShot(600000, &loop, [&]() { loop.quit(); });

    prompts.fileNameAnswers = QStringList{output};
    // The output of the last run is there: the window asks before it replaces it.
    prompts.questionAnswers = {QMessageBox::Yes};
    ticker.start();
    clock.start();
    lastTick = 0;
    button->click();
    sampleButton();
    if (!reported)
        loop.exec();
    ticker.stop();
    prompts.onReport = nullptr;
    QObject::disconnect(progressConnection);
    if (!reported) {
        std::fprintf(stderr, "the merge did not report within 10 minutes\n");
        std::exit(1);
    }
    run.report = prompts.records.last().text;
    return run;
}

} // namespace

int main(int argc, char* argv[])
{
    const int repeats = bench::RunCount(argc, argv, 1, 5);
    const bool withPhotos = argc > 2 && std::string(argv[2]) == "--photos";
    QTemporaryDir home;
    if (!home.isValid() || !AppTest::PrepareEnvironment(home.path()))
        return 2;
    QApplication application(argc, argv);
    AppIdentity::Instance();
    QTemporaryDir work;
    if (!work.isValid())
        return 2;

    QStringList files;
    std::vector<int> pageLabels;
    qint64 inputBytes = 0;
    for (int i = 0; i < kFileCount; ++i) {
        const int pages = 2 + i % 5;
        const std::string bytes = MakeDocument(pages, 7919u * static_cast<unsigned>(i + 1), withPhotos);
        const QString path = work.filePath(QStringLiteral("input-%1.pdf").arg(i + 1, 3, 10, QLatin1Char('0')));
        if (!WriteFile(path, bytes))
            return 2;
        files.append(path);
        for (int page = 1; page <= pages; ++page)
            pageLabels.push_back(page);
        inputBytes += static_cast<qint64>(bytes.size());
    }
    std::printf("inputs: %d files, %d pages, %.1f MB\n", kFileCount, static_cast<int>(pageLabels.size()), inputBytes / 1e6);

    ReportingPrompts prompts;
    MergePDFFilesWindow window;
    window.OpenWindow();
    prompts.openFileNamesAnswers = {files};
    QElapsedTimer addClock;
    addClock.start();
    Find<QAction>(window, "actionAddFiles")->trigger();
    const double addSeconds = addClock.nsecsElapsed() / 1e9;
    if (prompts.records.size() != 1) {
        std::fprintf(stderr, "adding the files said: %s\n", qPrintable(prompts.records.last().text));
        return 4;
    }
    std::printf("window: %d files added in %.3f s\n", kFileCount, addSeconds);

    // Both outputs exist from the start, so that every run of either replaces an earlier output
    // and pays for flushing it to the disk first; these runs also read the inputs into the page
    // cache.
    const QString engineOutput = work.filePath(QStringLiteral("engine.pdf"));
    const QString windowOutput = work.filePath(QStringLiteral("window.pdf"));
    if (!PDFMerger().Merge(files, engineOutput).written) {
        std::fprintf(stderr, "the engine could not merge the files\n");
        return 3;
    }
    MergeFromWindow(window, prompts, windowOutput);

    // Engine and window take turns, so that a change in the machine's load touches both alike.
    std::vector<WindowRun> windowRuns;
    QString engineFailure, windowFailure;
    const std::vector<bench::SideRuns> sides = bench::Interleave(2, repeats, [&](size_t inSide, int inRound) {
        if (inSide == 0) {
            PDFMerger merger;
            return bench::TimeInProcess([&]() {
                const MergeResult result = merger.Merge(files, engineOutput);
                if (!result.written || !result.failedFiles.isEmpty())
                    engineFailure = result.failedFiles.isEmpty() ? result.failure : result.failedFiles.first().reason;
                return result.written && result.failedFiles.isEmpty();
            });
        }
        const WindowRun run = MergeFromWindow(window, prompts, windowOutput);
        bench::Measure measure;
        measure.seconds = run.seconds;
        if (run.report != QLatin1String("Documents merged successfully.")) {
            windowFailure = run.report;
            measure.status = 1;
        }
        if (inRound >= 0) {
            std::printf("window run %d: %.3f s, longest GUI gap %.1f ms over %d ticks, %d progress changes, button %s "
                        "(%d looks)\n",
                        inRound + 1, run.seconds, run.longestGapMs, run.ticks, run.progressChanges,
                        run.buttonStayedDisabled ? "disabled" : "ENABLED", run.buttonSamples);
            windowRuns.push_back(run);
        }
        return measure;
    });
    double longestGap = 0;
    int minProgress = 1 << 30, maxProgress = 0;
    bool buttonDisabled = true;
    for (const WindowRun& run : windowRuns) {
        longestGap = std::max(longestGap, run.longestGapMs);
        minProgress = std::min(minProgress, run.progressChanges);
        maxProgress = std::max(maxProgress, run.progressChanges);
        buttonDisabled = buttonDisabled && run.buttonStayedDisabled && run.buttonSamples > 0;
    }

    // What the last round wrote: sound, every page of every input in its place.
    bench::Failures failures;
    const bench::PdfExpectation expected = bench::LabelledPages(pageLabels);
    const char* engineCheck = failures.Note(
        "engine", sides[0].Status() ? "the merge failed: " + engineFailure.toStdString()
                                    : bench::PdfProblem(engineOutput.toStdString(), expected));
    const char* windowCheck = failures.Note(
        "window", sides[1].Status() ? "the window reported: " + windowFailure.toStdString()
                                    : bench::PdfProblem(windowOutput.toStdString(), expected));

    // Before its report the window reads the output back, which the engine alone does not do.
    std::vector<double> readBackTimes;
    for (int r = 0; r < repeats; ++r) {
        QElapsedTimer clock;
        clock.start();
        if (!IsPDFReadable(windowOutput)) {
            failures.Note("window", "its output cannot be read back");
            break;
        }
        readBackTimes.push_back(clock.nsecsElapsed() / 1e9);
    }

    bench::PrintLoad();
    std::printf("engine: seconds median [min-max] %s (%d runs), output %s\n",
                bench::Format(sides[0].Seconds(), 3).c_str(), repeats, engineCheck);
    std::printf("window: seconds median [min-max] %s (press to report), output %s\n",
                bench::Format(sides[1].Seconds(), 3).c_str(), windowCheck);
    std::printf("longest GUI gap %.1f ms; progress changes per run %d..%d; Merge button disabled while running: %s\n",
                longestGap, minProgress, maxProgress, buttonDisabled ? "yes" : "NO");
    const bench::Spread readBack = bench::SpreadOf(readBackTimes);
    std::printf("reading the output back (the window's check before its report): ms median [min-max] %s\n",
                bench::Format({readBack.median * 1e3, readBack.low * 1e3, readBack.high * 1e3}, 1).c_str());
    const double engine = sides[0].Seconds().median;
    const double fromWindow = sides[1].Seconds().median;
    std::printf("ratio window/engine (medians): %.3f (goal <= 1.10): %s\n", fromWindow / engine,
                fromWindow / engine <= 1.10 ? "met" : "NOT met");
    std::printf("ratio without the read-back (medians): %.3f\n", (fromWindow - readBack.median) / engine);
    return failures.ExitStatus();
}
