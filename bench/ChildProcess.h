#pragma once
// Runs a program with its arguments as a child process, its output thrown away (or its standard
// output kept in a file, for a benchmark that checks what it printed), and measures it:
// wall time, processor time (user and system, which a busy machine disturbs less), peak memory
// (maximum resident set, from wait4) and exit status. Every child's standard error goes to a
// file of its own, made before the clock starts and read only when the run failed, so that a
// failure carries the child's reason and every side pays the same for it. Benchmarks run our
// side and the peers this way, so that all are measured alike.

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace bench {

struct Measure {
    double seconds = 0;
    double cpuSeconds = 0;
    long peakKB = 0;
    int status = 0;
    // Why a failed run failed, in its own words when it gave any; empty for a success.
    std::string reason;
};

// The last lines of a failed child's standard error, joined by " | ": a tool's last words name
// its fault, and a bounded excerpt keeps the failure line readable.
inline std::string LastLines(const std::string& inText, size_t inLines = 3, size_t inLength = 400)
{
    std::vector<std::string> lines;
    for (size_t start = 0; start < inText.size();) {
        size_t end = inText.find('\n', start);
        if (end == std::string::npos)
            end = inText.size();
        std::string line = inText.substr(start, end - start);
        const size_t first = line.find_first_not_of(" \t\r"), last = line.find_last_not_of(" \t\r");
        if (first != std::string::npos)
            lines.push_back(line.substr(first, last - first + 1));
        start = end + 1;
    }
    std::string text;
    for (size_t i = lines.size() - std::min(lines.size(), inLines); i < lines.size(); ++i)
        text += (text.empty() ? "" : " | ") + lines[i];
    return text.size() > inLength ? "..." + text.substr(text.size() - inLength) : text;
}

// The end of the file behind the descriptor, at most inBytes.
inline std::string FileTail(int inFile, off_t inBytes = 8192)
{
    const off_t size = lseek(inFile, 0, SEEK_END);
    if (size <= 0 || lseek(inFile, std::max<off_t>(0, size - inBytes), SEEK_SET) < 0)
        return std::string();
    std::string text;
    char buffer[4096];
    for (ssize_t got; (got = read(inFile, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<size_t>(got));
    return text;
}

inline Measure RunChild(const std::vector<std::string>& inArguments, const std::string& inOutputPath = std::string())
{
    // Unlinked at once: it lives as long as the descriptors do.
    std::string errorsPath = (std::filesystem::temp_directory_path() / "bench-stderr-XXXXXX").string();
    const int errors = mkstemp(errorsPath.data());
    if (errors >= 0)
        unlink(errorsPath.c_str());

    Measure measure;
    auto start = std::chrono::steady_clock::now();
    pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        const int output = inOutputPath.empty() ? null : open(inOutputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        // Without its own output the child would write into this process's.
        if (null < 0 || output < 0 || dup2(output, 1) < 0 || dup2(errors >= 0 ? errors : null, 2) < 0)
            _exit(126);
        if (null > 2)
            close(null);
        if (output != null && output > 2)
            close(output);
        if (errors > 2)
            close(errors);
        std::vector<char*> argv;
        for (const std::string& argument : inArguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        // The reason the failure line shows for a tool that is not installed.
        const char* const parts[] = {"cannot run ", argv[0], ": ", std::strerror(errno), "\n"};
        for (const char* part : parts)
            [[maybe_unused]] const ssize_t written = write(2, part, std::strlen(part));
        _exit(127);
    }
    int status = 0;
    struct rusage usage {};
    wait4(child, &status, 0, &usage);
    measure.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    measure.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    measure.peakKB = usage.ru_maxrss;
    measure.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (measure.status != 0) {
        measure.reason = errors >= 0 ? LastLines(FileTail(errors)) : std::string();
        if (WIFSIGNALED(status))
            measure.reason = "ended by signal " + std::to_string(WTERMSIG(status)) + " (" +
                             strsignal(WTERMSIG(status)) + ")" + (measure.reason.empty() ? "" : ": " + measure.reason);
    }
    if (errors >= 0)
        close(errors);
    return measure;
}

} // namespace bench
