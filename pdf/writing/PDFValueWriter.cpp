#include "pdf/writing/PDFValueWriter.h"

#include "pdf/io/DiagnosticLog.h"
#include "pdf/io/NumberText.h"

#include <charconv>
#include <cstring>

namespace {

const char kHexDigits[] = "0123456789abcdef";

bool IsNameDelimiter(unsigned char inByte)
{
    return inByte != 0 && std::strchr("()<>[]{}/%#", inByte) != nullptr;
}

} // namespace

void PDFValueWriter::WriteBytes(const Byte* inBuffer, size_t inSize)
{
    if (inSize == 0)
        return;
    size_t written = mOutputStream ? mOutputStream->WriteBytes(inBuffer, inSize) : 0;
    if (written == inSize)
        return;
    // One line for the first loss; everything after it is part of the same broken output.
    if (!mFailed)
        TraceMessage("PDFValueWriter::WriteBytes, failed to write to the output stream. supposed to write %lld, wrote %lld",
                     static_cast<long long>(inSize), static_cast<long long>(written));
    mFailed = true;
}

void PDFValueWriter::WriteText(std::string_view inText)
{
    WriteBytes(reinterpret_cast<const Byte*>(inText.data()), inText.size());
}

void PDFValueWriter::WriteSeparator(ETokenSeparator inSeparate)
{
    switch (inSeparate) {
    case eTokenSeparatorSpace:
        WriteText(" ");
        break;
    case eTokenSeparatorEndLine:
        WriteText("\r\n");
        break;
    case eTokenSeparatorNone:
        break;
    }
}

void PDFValueWriter::WriteNameValue(std::string_view inName, ETokenSeparator inSeparate)
{
    std::string token;
    token.reserve(inName.size() + 1);
    token.push_back('/');
    for (char character : inName) {
        unsigned char byte = static_cast<unsigned char>(character);
        if (byte >= '!' && byte <= '~' && !IsNameDelimiter(byte)) {
            token.push_back(character);
        } else {
            token.push_back('#');
            token.push_back(kHexDigits[byte >> 4]);
            token.push_back(kHexDigits[byte & 0x0F]);
        }
    }
    WriteText(token);
    WriteSeparator(inSeparate);
}

void PDFValueWriter::WriteIntegerValue(long long inValue, ETokenSeparator inSeparate)
{
    char buffer[24];
    auto result = std::to_chars(buffer, buffer + sizeof(buffer), inValue);
    WriteBytes(reinterpret_cast<const Byte*>(buffer), static_cast<size_t>(result.ptr - buffer));
    WriteSeparator(inSeparate);
}

void PDFValueWriter::WriteLiteralStringValue(std::string_view inText, ETokenSeparator inSeparate)
{
    std::string token;
    token.reserve(inText.size() + 2);
    token.push_back('(');
    for (char character : inText) {
        unsigned char byte = static_cast<unsigned char>(character);
        if (byte == '(' || byte == ')' || byte == '\\') {
            token.push_back('\\');
            token.push_back(character);
        } else if (byte >= 32 && byte <= 126) {
            token.push_back(character);
        } else {
            token.push_back('\\');
            token.push_back(static_cast<char>('0' + (byte >> 6)));
            token.push_back(static_cast<char>('0' + ((byte >> 3) & 7)));
            token.push_back(static_cast<char>('0' + (byte & 7)));
        }
    }
    token.push_back(')');
    WriteText(token);
    WriteSeparator(inSeparate);
}

void PDFValueWriter::WriteRealValue(double inValue, ETokenSeparator inSeparate)
{
    std::string text;
    if (!NumberText::FormatTrimmed(inValue, text))
        TraceMessage("PDFValueWriter::WriteRealValue, a number that is not finite was written as 0");
    WriteText(text);
    WriteSeparator(inSeparate);
}

void PDFValueWriter::WriteHexStringValue(std::string_view inHexText, ETokenSeparator inSeparate)
{
    WriteText("<");
    WriteText(inHexText);
    WriteText(">");
    WriteSeparator(inSeparate);
}
