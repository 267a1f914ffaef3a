#pragma once
// A text-showing operator, given the encoded text either as hexadecimal digits (two-byte codes)
// or as bytes for a literal string (one-byte codes).

#include <string>

class ITextCommand {
public:
    virtual ~ITextCommand() = default;
    virtual void WriteHexStringCommand(const std::string& inHexText) = 0;
    virtual void WriteLiteralStringCommand(const std::string& inBytes) = 0;
};
