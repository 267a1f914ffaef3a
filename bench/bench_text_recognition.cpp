// Text recognition through the extraction tool's worker against Debian's tesseract command line,
// on the same rendered A4 page at 300 dpi (running English prose in DejaVu Sans 11 pt) with the
// same language: the worker thread started and waited for, as the window does, and the command
// line run as a process that prints the text. Runs take turns; the medians and their ratio are
// printed, and both texts must be the same. The goal: the worker no more than 10% slower.
// Usage: bench_text_recognition [runs] [language]   (defaults: 5 runs, "eng")
// The engine's OpenMP threads spin while they wait, and on a machine whose cores are busy both
// sides then take minutes instead of seconds: there, run with OMP_THREAD_LIMIT=1, which the
// command line inherits, so both sides still work alike.

#include "app/ocr/TextExtractThread.h"
#include "app/support/AppTestMain.h"
#include "app/support/RenderedScan.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

const char* const kProse[] = {
    "When the committee met on the first Monday of October, the agenda held",
    "eleven items, and most of them concerned the new library building. The",
    "architect had sent revised drawings two days earlier, showing a reading",
    "room on the ground floor, offices above it, and a small archive in the",
    "basement where the temperature could be kept steady throughout the year.",
    "Several members asked whether the budget would allow for the extra walls",
    "that the archive needed, and the treasurer replied that the quotes from",
    "three builders were still being compared. She expected an answer before",
    "the end of the month, and promised to circulate a short summary of the",
    "figures so that nobody would be surprised at the next meeting. The chair",
    "thanked her and moved on to the question of opening hours, which had been",
    "raised by readers who work during the day and can only visit at night.",
};

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    QTemporaryDir home;
    if (!home.isValid() || !AppTest::PrepareEnvironment(home.path()))
        return 2;
    QApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const QString language = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("eng");

    RenderedScan::Page page;
    page.pointSize = 11;
    page.heightPixels = 3508;
    for (int paragraph = 0; paragraph < 4; ++paragraph)
        for (const char* line : kProse)
            page.lines.append(QString::fromLatin1(line));
    QTemporaryDir folder;
    const QString scan = folder.filePath(QStringLiteral("page.png"));
    if (!RenderedScan::Write(scan, page)) {
        std::fprintf(stderr, "cannot render the page\n");
        return 1;
    }

    std::vector<double> workerSeconds;
    std::vector<double> commandSeconds;
    QString workerText;
    QString commandText;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        {
            TextExtractThread thread;
            thread.imagePath = scan;
            thread.languageCode = language;
            thread.start(QThread::InheritPriority);
            thread.wait();
            if (thread.GetResultStatus() != TextRecognizer::Status::Recognized) {
                std::fprintf(stderr, "worker: %s\n", qPrintable(thread.GetResultText()));
                return 1;
            }
            workerText = thread.GetResultText();
        }
        workerSeconds.push_back(clock.nsecsElapsed() / 1e9);

        clock.restart();
        QProcess tesseract;
        tesseract.start(QStringLiteral("tesseract"), {scan, QStringLiteral("stdout"), QStringLiteral("-l"), language});
        if (!tesseract.waitForFinished(-1) || tesseract.exitCode() != 0) {
            std::fprintf(stderr, "tesseract: %s\n", tesseract.readAllStandardError().constData());
            return 1;
        }
        commandSeconds.push_back(clock.nsecsElapsed() / 1e9);
        commandText = QString::fromUtf8(tesseract.readAllStandardOutput());
        std::fprintf(stderr, "run %d: worker %.3f s, command line %.3f s\n", run + 1, workerSeconds.back(),
                     commandSeconds.back());
    }

    // The command line ends the page with a form feed.
    if (commandText.endsWith(QLatin1Char('\f')))
        commandText.chop(1);
    const bool same = workerText == commandText;
    const double worker = Median(workerSeconds);
    const double command = Median(commandSeconds);
    const QByteArray threadLimit = qgetenv("OMP_THREAD_LIMIT");
    std::printf("A4 page at 300 dpi, %lld lines, language %s, %d runs (medians), OMP_THREAD_LIMIT %s\n",
                static_cast<long long>(page.lines.size()), qPrintable(language), runs,
                threadLimit.isEmpty() ? "not set" : threadLimit.constData());
    std::printf("  worker thread          %8.3f s\n", worker);
    std::printf("  tesseract command line %8.3f s\n", command);
    std::printf("  ratio worker / command %8.3f (goal: at most 1.10)\n", worker / command);
    std::printf("  same text: %s (%lld characters)\n", same ? "yes" : "NO", static_cast<long long>(workerText.size()));
    if (!same) {
        int at = 0;
        while (at < workerText.size() && at < commandText.size() && workerText[at] == commandText[at])
            ++at;
        std::printf("  first difference at %d:\n    worker:  \"%s\"\n    command: \"%s\"\n", at,
                    qPrintable(workerText.mid(at, 40)), qPrintable(commandText.mid(at, 40)));
    }
    return same ? 0 : 1;
}
