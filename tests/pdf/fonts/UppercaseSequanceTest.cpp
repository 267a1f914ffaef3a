#include "pdf/fonts/UppercaseSequance.h"

#include <gtest/gtest.h>

namespace {

TEST(UppercaseSequance, CountsUpwardFromTheFirstValue)
{
    UppercaseSequance sequence;
    EXPECT_EQ(sequence.GetNextValue(), "AAAAAB");
    EXPECT_EQ(sequence.GetNextValue(), "AAAAAC");
    for (int i = 0; i < 23; ++i)
        sequence.GetNextValue();
    EXPECT_EQ(sequence.GetNextValue(), "AAAABA");
    sequence.Reset();
    EXPECT_EQ(sequence.GetNextValue(), "AAAAAB");
}

} // namespace
