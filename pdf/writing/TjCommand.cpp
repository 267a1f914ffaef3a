#include "pdf/writing/TjCommand.h"

#include "pdf/writing/AbstractContentContext.h"

void TjCommand::WriteHexStringCommand(const std::string& inHexText)
{
    mContext->ShowTextHex(inHexText);
}

void TjCommand::WriteLiteralStringCommand(const std::string& inBytes)
{
    mContext->ShowTextLiteral(inBytes);
}
