#pragma once
// Runs a program with its arguments as a child process, its output thrown away (or its standard
// output kept in a file, for a benchmark that checks what it printed), and measures it:
// wall time, processor time (user and system, which a busy machine disturbs less), peak memory
// (maximum resident set, from wait4) and exit status. Benchmarks run our
// side and the peers this way, so that all are measured alike.

#include <chrono>
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
};

inline Measure RunChild(const std::vector<std::string>& inArguments, const std::string& inOutputPath = std::string())
{
    Measure measure;
    auto start = std::chrono::steady_clock::now();
    pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        const int output = inOutputPath.empty() ? null : open(inOutputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        // Without its own output the child would write into this process's.
        if (null < 0 || output < 0 || dup2(output, 1) < 0 || dup2(null, 2) < 0)
            _exit(126);
        if (null > 2)
            close(null);
        if (output != null && output > 2)
            close(output);
        std::vector<char*> argv;
        for (const std::string& argument : inArguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
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
    return measure;
}

} // namespace bench
