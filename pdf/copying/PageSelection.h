#pragma once
// Which pages of a source file are copied: all of them, or listed inclusive ranges of 0-based
// page indexes, in list order.

#include <cstdint>
#include <utility>
#include <vector>

struct PageSelection {
    enum EKind { AllPages = 0, ListedRanges = 1 };

    EKind mKind = AllPages;
    std::vector<std::pair<uint32_t, uint32_t>> mRanges; // (first, last), both included
};
