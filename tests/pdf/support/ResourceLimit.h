#pragma once
// One of the process's resource limits held to a size for as long as the object lives: its soft
// limit is lowered (the hard one stays) and raised again when the object goes. Under an address
// space limit, as "ulimit -v" sets, an allocation past it fails; AddressSanitizer reserves
// terabytes of address space for itself, so a build with it cannot run under one.

#include <fstream>

#include <sys/resource.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define VELLORAN_ADDRESS_SPACE_LIMITS 0
#else
#define VELLORAN_ADDRESS_SPACE_LIMITS 1
#endif

template <decltype(RLIMIT_AS) Resource>
class ResourceLimit {
public:
    explicit ResourceLimit(rlim_t size)
    {
        getrlimit(Resource, &before);
        const rlimit limited{size, before.rlim_max};
        set = setrlimit(Resource, &limited) == 0;
    }
    ~ResourceLimit() { setrlimit(Resource, &before); }
    ResourceLimit(const ResourceLimit&) = delete;
    ResourceLimit& operator=(const ResourceLimit&) = delete;

    bool IsSet() const { return set; }

private:
    rlimit before{};
    bool set = false;
};

using AddressSpaceLimit = ResourceLimit<RLIMIT_AS>;

// What the process has mapped now, in bytes (0 when the system does not say).
inline rlim_t AddressSpaceInUse()
{
    rlim_t pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    return pages * static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
}
