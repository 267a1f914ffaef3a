#pragma once
// Writes single PDF tokens to an output stream that it does not own. Every byte the objects
// context writes passes through here, so a short write is noticed in one place: it is logged
// once and stays reported by HasFailed until ResetFailure.

#include "pdf/io/IByteWriterWithPosition.h"

#include <string>
#include <string_view>

// What follows a written value: one blank, CR LF, or nothing.
enum ETokenSeparator { eTokenSeparatorSpace = 0, eTokenSeparatorEndLine = 1, eTokenSeparatorNone = 2 };

class PDFValueWriter {
public:
    explicit PDFValueWriter(IByteWriterWithPosition* inOutputStream = nullptr) : mOutputStream(inOutputStream) {}

    void SetOutputStream(IByteWriterWithPosition* inOutputStream) { mOutputStream = inOutputStream; }
    IByteWriterWithPosition* GetOutputStream() { return mOutputStream; }

    // "/" and the name; bytes outside "!" to "~" and the delimiters "()<>[]{}/%#" as "#xx".
    void WriteNameValue(std::string_view inName, ETokenSeparator inSeparate);
    void WriteIntegerValue(long long inValue, ETokenSeparator inSeparate);
    // "(" ... ")": "(", ")" and "\" escaped with a backslash, other bytes outside 32 to 126 as "\ooo".
    void WriteLiteralStringValue(std::string_view inText, ETokenSeparator inSeparate);
    // Six decimals with trailing zeros dropped; a value that is not finite is written as 0.
    void WriteRealValue(double inValue, ETokenSeparator inSeparate);
    // "<", the text (already hexadecimal digits) unchanged, ">".
    void WriteHexStringValue(std::string_view inHexText, ETokenSeparator inSeparate);

    // The token layer below the values: bytes as they are, and separators.
    void WriteText(std::string_view inText);
    void WriteBytes(const Byte* inBuffer, size_t inSize);
    void WriteSeparator(ETokenSeparator inSeparate);

    bool HasFailed() const { return mFailed; }
    void ResetFailure() { mFailed = false; }

private:
    IByteWriterWithPosition* mOutputStream;
    bool mFailed = false;
};
