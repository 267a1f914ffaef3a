#pragma once
// "Tj" of a content context (not owned), with a hex or a literal string.

#include "pdf/writing/ITextCommand.h"

class AbstractContentContext;

class TjCommand : public ITextCommand {
public:
    explicit TjCommand(AbstractContentContext* inContext) : mContext(inContext) {}
    void WriteHexStringCommand(const std::string& inHexText) override;
    void WriteLiteralStringCommand(const std::string& inBytes) override;

private:
    AbstractContentContext* mContext;
};
