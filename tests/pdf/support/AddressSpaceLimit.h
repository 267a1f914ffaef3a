#pragma once
// Memory that runs out, for as long as the object lives: the process's address space is held to
// a size, as "ulimit -v" holds a program's, and an allocation past it fails. AddressSanitizer
// reserves terabytes of address space for itself: a build with it cannot run under such a limit.

#include "tests/pdf/support/ResourceLimit.h"

#include <fstream>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
#define VELLORAN_ADDRESS_SPACE_LIMITS 0
#else
#define VELLORAN_ADDRESS_SPACE_LIMITS 1
#endif

class AddressSpaceLimit : public ResourceLimit<RLIMIT_AS> {
public:
    using ResourceLimit::ResourceLimit;

    // What the process has mapped now, in bytes (0 when the system does not say).
    static rlim_t InUse()
    {
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("VmSize:", 0) == 0)
                return static_cast<rlim_t>(std::stoull(line.substr(7))) * 1024;
        return 0;
    }
};
