#pragma once
// One of the process's resource limits held to a size for as long as the object lives: its soft
// limit is lowered (the hard one stays) and raised again when the object goes.

#include <sys/resource.h>

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
