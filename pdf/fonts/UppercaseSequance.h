#pragma once
// Six capital letters counted upward, from "AAAAAA": the name prefixes of subset fonts.
// The value is advanced before it is handed out, so the first prefix is "AAAAAB".

#include <string>

class UppercaseSequance {
public:
    UppercaseSequance() : mSequanceString(kInitialValue) {}

    // Advances the value and returns it. After "ZZZZZZ" the value becomes "ZAAAAA" (logged).
    const std::string& GetNextValue();
    void Reset() { mSequanceString = kInitialValue; }

private:
    static constexpr const char* kInitialValue = "AAAAAA";
    std::string mSequanceString;
};
