// libFuzzer target: Type 1 fonts in PFB form and Type 1 charstrings (fuzz/Type1FuzzExercise.h).
// Built and run by fuzz/run-type1-fuzzer.sh; not part of the test suite.

#include "fuzz/Type1FuzzExercise.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* inData, size_t inSize)
{
    type1fuzz::Exercise(inData, inSize);
    return 0;
}
