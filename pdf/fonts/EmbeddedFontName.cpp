#include "pdf/fonts/EmbeddedFontName.h"

#include "pdf/fonts/FreeTypeFaceWrapper.h"
#include "pdf/fonts/TrueTypeEmbeddedFontWriter.h"
#include "pdf/writing/ObjectsContext.h"
#include "pdf/writing/ResourceName.h"

#include FT_TRUETYPE_TABLES_H

bool GetPostScriptName(FreeTypeFaceWrapper& inFontInfo, std::string& outName)
{
    const char* name = inFontInfo.GetFace() ? FT_Get_Postscript_Name(inFontInfo.GetFace()) : nullptr;
    outName = name ? name : "";
    return !outName.empty();
}

bool FontPermitsEmbedding(FreeTypeFaceWrapper& inFontInfo)
{
    if (!inFontInfo.GetFace())
        return true;
    auto os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(inFontInfo.GetFace(), FT_SFNT_OS2));
    return !os2 || !TrueTypeEmbeddedFontWriter::FSTypeForbidsEmbedding(os2->fsType);
}

std::string FontNameForDictionary(ObjectsContext* inObjectsContext, FreeTypeFaceWrapper& inFontInfo,
                                  const std::string& inPostScriptName, bool inEmbedFont)
{
    std::string name = !inEmbedFont || !FontPermitsEmbedding(inFontInfo)
                           ? inPostScriptName
                           : inObjectsContext->GenerateSubsetFontPrefix() + "+" + inPostScriptName;
    // A face may call itself by more bytes than readers keep of a name; cut here, the font's
    // dictionaries and its program agree on the name another tool would otherwise cut.
    if (name.size() > ResourceName::kMaxLength)
        name.resize(ResourceName::kMaxLength);
    return name;
}
