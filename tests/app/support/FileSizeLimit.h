#pragma once
// A disk that fills up, for as long as the object lives: every file the test process writes is
// held to a size, and a write past it is refused with the system's "File too large" (SIGXFSZ is
// ignored meanwhile, so the refusal is an error, not the end of the process). The limit is the
// process's: nothing else may be written while it stands.

#include <csignal>
#include <sys/resource.h>

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &before);
        oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limited{bytes, before.rlim_max};
        set = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &before);
        std::signal(SIGXFSZ, oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool IsSet() const { return set; }

private:
    rlimit before{};
    void (*oldHandler)(int) = nullptr;
    bool set = false;
};
