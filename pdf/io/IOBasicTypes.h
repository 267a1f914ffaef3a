#pragma once
// Basic types shared by every byte stream of the library.

#include <cstddef>
#include <cstdint>

typedef unsigned char Byte;
typedef long long LongFilePositionType;

// Status of a library operation: 0 on success, non-zero (normally -1) on failure.
// A failing operation writes one line to the trace log before it returns.
typedef int OpStatus;
constexpr OpStatus eSuccess = 0;
constexpr OpStatus eFailure = -1;
