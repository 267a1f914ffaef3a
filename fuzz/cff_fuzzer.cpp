// libFuzzer target: reads the fuzzer's bytes as CFF data, runs the Type 2 interpreter and the
// flattener over its glyphs and builds subsets from it (fuzz/CFFFuzzExercise.h). Built and run
// by fuzz/run-opentype-fuzzer.sh (target cff); not part of the test suite.

#include "fuzz/CFFFuzzExercise.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* inData, size_t inSize)
{
    if (!cfffuzz::ExerciseCFF(inData, inSize))
        __builtin_trap();
    return 0;
}
