// Text recognition through the extraction tool's worker against Debian's tesseract command line,
// on the same rendered A4 page at 300 dpi (running English prose in DejaVu Sans 11 pt) with the
// same language, both as whole processes started the same way and taking turns: ours is this
// program run with --worker, which starts the worker thread and waits for it, as the window does,
// and writes the text to a file; the command line writes its text file too. Both get the same
// OpenMP thread limit (the engine's threads spin while they wait, so on a busy machine an
// unlimited run takes minutes): the third argument, else OMP_THREAD_LIMIT from the environment,
// else 1; "none" leaves it unset for both. The medians, spreads and their ratio are printed, and
// both texts must be the same and hold the prose's first and last lines, or the benchmark fails.
// The goal: the worker no more than 10% slower.
// Usage: bench_text_recognition [runs] [language] [thread limit]   (defaults: 5, "eng", see above)

#include "app/ocr/TextExtractThread.h"
#include "app/support/AppTestMain.h"
#include "app/support/RenderedScan.h"
#include "bench/BenchSupport.h"
#include "bench/OutputChecks.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
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

// Our side, in the child: the worker on the scan, its text written to inOutput as UTF-8.
int RunWorker(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    TextExtractThread thread;
    thread.imagePath = QString::fromLocal8Bit(argv[2]);
    thread.languageCode = QString::fromLocal8Bit(argv[3]);
    thread.start(QThread::InheritPriority);
    thread.wait();
    if (thread.GetResultStatus() != TextRecognizer::Status::Recognized) {
        std::fprintf(stderr, "worker: %s\n", qPrintable(thread.GetResultText()));
        return 1;
    }
    QFile output(QString::fromLocal8Bit(argv[4]));
    return output.open(QIODevice::WriteOnly) && output.write(thread.GetResultText().toUtf8()) >= 0 ? 0 : 2;
}

QString ReadText(const QString& inPath)
{
    QFile file(inPath);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc == 5 && std::string(argv[1]) == "--worker")
        return RunWorker(argc, argv);
    QTemporaryDir home;
    if (!home.isValid() || !AppTest::PrepareEnvironment(home.path()))
        return 2;
    QApplication application(argc, argv);
    const int runs = bench::RunCount(argc, argv, 1, 5);
    const QString language = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("eng");
    // One thread limit for both children, which inherit it.
    std::string threadLimit = argc > 3 ? argv[3] : qEnvironmentVariableIsSet("OMP_THREAD_LIMIT")
                                                       ? qgetenv("OMP_THREAD_LIMIT").toStdString()
                                                       : std::string("1");
    if (threadLimit == "none")
        qunsetenv("OMP_THREAD_LIMIT");
    else
        qputenv("OMP_THREAD_LIMIT", QByteArray::fromStdString(threadLimit));

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

    const std::string self = QCoreApplication::applicationFilePath().toStdString();
    const QString workerText = folder.filePath(QStringLiteral("worker.txt"));
    const QString commandBase = folder.filePath(QStringLiteral("command"));
    const std::vector<std::vector<std::string>> tools = {
        {self, "--worker", scan.toStdString(), language.toStdString(), workerText.toStdString()},
        {"tesseract", scan.toStdString(), commandBase.toStdString(), "-l", language.toStdString()}};
    const std::vector<bench::SideRuns> sides =
        bench::Interleave(tools.size(), runs, [&](size_t inTool, int) { return bench::RunChild(tools[inTool]); });

    QString worker = ReadText(workerText);
    QString command = ReadText(commandBase + QStringLiteral(".txt"));
    // The command line ends the page with a form feed.
    if (command.endsWith(QLatin1Char('\f')))
        command.chop(1);
    const bool same = !worker.isEmpty() && worker == command;
    // The prose must be what was read, not only the same for both.
    const bool read = bench::HoldsText(worker.toStdString(), kProse[0]) &&
                      bench::HoldsText(worker.toStdString(), kProse[std::size(kProse) - 1]);
    std::printf("A4 page at 300 dpi, %lld lines, language %s, %d runs each, both whole processes, "
                "OMP_THREAD_LIMIT %s for both\n",
                static_cast<long long>(page.lines.size()), qPrintable(language), runs,
                threadLimit == "none" ? "not set" : threadLimit.c_str());
    bench::PrintLoad();
    std::printf("  %-24s %-26s %-26s %8s\n", "", "seconds: median [min-max]", "cpu s: median [min-max]", "peak MB");
    const char* const names[] = {"worker (ours)", "tesseract command line"};
    for (size_t t = 0; t < sides.size(); ++t)
        std::printf("  %-24s %-26s %-26s %8.1f%s\n", names[t], bench::Format(sides[t].Seconds(), 3).c_str(),
                    bench::Format(sides[t].CpuSeconds(), 3).c_str(), sides[t].PeakKB() / 1024.0,
                    sides[t].Status() != 0 ? " (failed)" : "");
    std::printf("  ratio worker / command (medians) %.3f (goal: at most 1.10)\n",
                sides[0].Seconds().median / sides[1].Seconds().median);
    std::printf("  same text: %s (%lld characters); the first and last lines of the prose in it: %s\n",
                same ? "yes" : "NO", static_cast<long long>(worker.size()), read ? "yes" : "NO");
    if (!same) {
        int at = 0;
        while (at < worker.size() && at < command.size() && worker[at] == command[at])
            ++at;
        std::printf("  first difference at %d:\n    worker:  \"%s\"\n    command: \"%s\"\n", at,
                    qPrintable(worker.mid(at, 40)), qPrintable(command.mid(at, 40)));
    }
    bench::Failures failures;
    failures.Note("worker", bench::RunsProblem(sides[0]));
    failures.Note("tesseract command line", bench::RunsProblem(sides[1]));
    failures.Note("texts", same ? std::string() : "the worker's text is not the command line's");
    failures.Note("worker's text", read ? std::string() : "the prose's first or last line is not in it");
    return failures.ExitStatus();
}
