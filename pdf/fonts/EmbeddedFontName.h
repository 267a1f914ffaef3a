#pragma once
// The BaseFont name of a written font dictionary: the face's PostScript name, with a subset
// prefix ("ABCDEF+") only when the font program will be embedded. A font whose embedding
// rights forbid embedding is written without a program, and a prefix would claim a subset that
// is not there. The name is cut to the 127 bytes readers keep of a name.

#include <string>

class FreeTypeFaceWrapper;
class ObjectsContext;

// False when the face has no PostScript name.
bool GetPostScriptName(FreeTypeFaceWrapper& inFontInfo, std::string& outName);

// The face's OS/2 fsType permits embedding (a font without the table does).
bool FontPermitsEmbedding(FreeTypeFaceWrapper& inFontInfo);

std::string FontNameForDictionary(ObjectsContext* inObjectsContext, FreeTypeFaceWrapper& inFontInfo,
                                  const std::string& inPostScriptName, bool inEmbedFont);
