#include "pdf/io/NumberText.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace NumberText {

bool FormatFixed(double inValue, int inDecimals, std::string& outText)
{
    bool finite = std::isfinite(inValue);
    if (!finite)
        inValue = 0;
    if (inDecimals < 0)
        inDecimals = 0;
    // 309 integer digits, a sign, a point and the decimals always fit.
    char buffer[400];
    auto result = std::to_chars(buffer, buffer + sizeof(buffer), inValue, std::chars_format::fixed,
                                inDecimals > 60 ? 60 : inDecimals);
    outText.assign(buffer, result.ptr);
    return finite;
}

bool FormatTrimmed(double inValue, std::string& outText)
{
    bool finite = FormatFixed(inValue, 6, outText);
    size_t point = outText.find('.');
    if (point != std::string::npos) {
        size_t end = outText.find_last_not_of('0');
        if (end == point)
            --end;
        outText.erase(end + 1);
    }
    if (outText == "-0")
        outText = "0";
    return finite;
}

std::string FormatTrimmed(double inValue)
{
    std::string text;
    FormatTrimmed(inValue, text);
    return text;
}

bool FormatShortest(double inValue, std::string& outText)
{
    if (!std::isfinite(inValue)) {
        outText = "0";
        return false;
    }
    char buffer[400];
    auto result = std::to_chars(buffer, buffer + sizeof(buffer), inValue, std::chars_format::fixed);
    if (result.ec != std::errc())
        return FormatTrimmed(inValue, outText);
    outText.assign(buffer, result.ptr);
    if (outText == "-0")
        outText = "0";
    else if (std::fabs(inValue) >= 9223372036854775808.0 && outText.find('.') == std::string::npos)
        outText += ".0";
    return true;
}

// Skips white space and a sign; returns the position of the first digit or point.
static size_t SkipPrefix(std::string_view inText, bool& outNegative)
{
    size_t i = 0;
    while (i < inText.size() && (inText[i] == ' ' || inText[i] == '\t' || inText[i] == '\n' ||
                                 inText[i] == '\r' || inText[i] == '\f' || inText[i] == '\v'))
        ++i;
    outNegative = false;
    if (i < inText.size() && (inText[i] == '+' || inText[i] == '-')) {
        outNegative = inText[i] == '-';
        ++i;
    }
    return i;
}

bool ParseDouble(std::string_view inText, double& outValue, size_t* outConsumed)
{
    outValue = 0;
    if (outConsumed)
        *outConsumed = 0;
    bool negative;
    size_t start = SkipPrefix(inText, negative);
    // Only plain decimal text: no "inf", "nan" or hexadecimal floats.
    if (start >= inText.size() || !((inText[start] >= '0' && inText[start] <= '9') || inText[start] == '.'))
        return false;
    double value = 0;
    auto result = std::from_chars(inText.data() + start, inText.data() + inText.size(), value,
                                  std::chars_format::fixed | std::chars_format::scientific);
    if (result.ec != std::errc() || !std::isfinite(value))
        return false;
    outValue = negative ? -value : value;
    if (outConsumed)
        *outConsumed = static_cast<size_t>(result.ptr - inText.data());
    return true;
}

bool ParseLongLong(std::string_view inText, long long& outValue, size_t* outConsumed)
{
    outValue = 0;
    if (outConsumed)
        *outConsumed = 0;
    bool negative;
    size_t start = SkipPrefix(inText, negative);
    if (start >= inText.size() || inText[start] < '0' || inText[start] > '9')
        return false;
    unsigned long long magnitude = 0;
    auto result = std::from_chars(inText.data() + start, inText.data() + inText.size(), magnitude);
    if (result.ec != std::errc())
        return false;
    const unsigned long long limit = negative ? 9223372036854775808ULL : 9223372036854775807ULL;
    if (magnitude > limit)
        return false;
    outValue = negative ? static_cast<long long>(0 - magnitude) : static_cast<long long>(magnitude);
    if (outConsumed)
        *outConsumed = static_cast<size_t>(result.ptr - inText.data());
    return true;
}

} // namespace NumberText
