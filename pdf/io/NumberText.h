#pragma once
// Locale-independent number text. Qt sets the process locale from the environment, after which
// printf("%f") and strtod follow it (a comma under a German locale). Every number the library
// writes into or reads from a PDF, font or content stream goes through these functions instead.

#include <string>
#include <string_view>

namespace NumberText {

// Fixed notation with exactly inDecimals digits after the point, as "%.<n>f" in the C locale.
// A value that is not finite is written as 0 and the result reports false.
bool FormatFixed(double inValue, int inDecimals, std::string& outText);

// "%lf" (six decimals) with trailing zeros dropped, and the point too when it is left last:
// 1.5 -> "1.5", 2.0 -> "2", -0.25 -> "-0.25". Negative zero is written "0".
// A value that is not finite is written as "0" and the result reports false.
bool FormatTrimmed(double inValue, std::string& outText);
std::string FormatTrimmed(double inValue);

// The shortest fixed-notation text that reads back as the same double ("0.00048828125"), for
// values copied from a file that must not change. A whole number beyond the 64-bit integer range
// keeps a ".0", so that readers still take it for a real. Not finite: "0" and false.
bool FormatShortest(double inValue, std::string& outText);

// Reads a number at the start of the text the way formatted stream extraction does: leading
// white space is skipped, an optional sign, then as much of the number as stands there.
// False when no number starts the text or it does not fit; outValue is then 0.
// outConsumed, when given, receives the count of bytes used (white space included).
bool ParseDouble(std::string_view inText, double& outValue, size_t* outConsumed = nullptr);
bool ParseLongLong(std::string_view inText, long long& outValue, size_t* outConsumed = nullptr);

} // namespace NumberText
