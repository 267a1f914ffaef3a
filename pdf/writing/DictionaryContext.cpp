#include "pdf/writing/DictionaryContext.h"

#include "pdf/io/DiagnosticLog.h"
#include "pdf/writing/ObjectsContext.h"

DictionaryContext::DictionaryContext(ObjectsContext* inObjectsContext, size_t inIndentLevel)
    : mObjectsContext(inObjectsContext), mIndentLevel(inIndentLevel)
{
    // No indentation before "<<": it follows the key or the object header it belongs to.
    mObjectsContext->GetValueWriter().WriteText("<<\r\n");
}

OpStatus DictionaryContext::WriteKey(std::string_view inKey)
{
    if (mKeys.find(inKey) != mKeys.end()) {
        TraceMessage("DictionaryContext::WriteKey, Duplicate key error. Cannot write multiple keys in the same dictionary. key "
                     "reused - %s",
                     TraceExcerpt(inKey).c_str());
        mObjectsContext->RecordFailure();
        return eFailure;
    }
    PDFValueWriter& writer = mObjectsContext->GetValueWriter();
    writer.WriteText(std::string(mIndentLevel + 1, '\t'));
    writer.WriteNameValue(inKey, eTokenSeparatorSpace);
    mKeys.emplace(inKey);
    return eSuccess;
}

void DictionaryContext::WriteIntegerValue(long long inValue)
{
    mObjectsContext->GetValueWriter().WriteIntegerValue(inValue, eTokenSeparatorEndLine);
}

void DictionaryContext::WriteRealValue(double inValue)
{
    mObjectsContext->GetValueWriter().WriteRealValue(inValue, eTokenSeparatorEndLine);
}

void DictionaryContext::WriteBooleanValue(bool inValue)
{
    mObjectsContext->WriteBoolean(inValue, eTokenSeparatorEndLine);
}

void DictionaryContext::WriteHexStringValue(std::string_view inHexText)
{
    mObjectsContext->GetValueWriter().WriteHexStringValue(inHexText, eTokenSeparatorEndLine);
}

void DictionaryContext::WriteRectangleValue(double inLeft, double inBottom, double inRight, double inTop)
{
    PDFValueWriter& writer = mObjectsContext->GetValueWriter();
    writer.WriteText("[ ");
    writer.WriteRealValue(inLeft, eTokenSeparatorSpace);
    writer.WriteRealValue(inBottom, eTokenSeparatorSpace);
    writer.WriteRealValue(inRight, eTokenSeparatorSpace);
    writer.WriteRealValue(inTop, eTokenSeparatorSpace);
    writer.WriteText("]");
    writer.WriteSeparator(eTokenSeparatorEndLine);
}

void DictionaryContext::WriteEnd()
{
    PDFValueWriter& writer = mObjectsContext->GetValueWriter();
    writer.WriteText(std::string(mIndentLevel, '\t'));
    writer.WriteText(">>\r\n");
}
