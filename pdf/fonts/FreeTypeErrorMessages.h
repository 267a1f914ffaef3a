#pragma once
// FreeType's own text for an error code, made from FreeType's published error list (Debian's
// build leaves FT_Error_String without texts). "unknown error" for a code the list lacks.

#include <ft2build.h>
#include FT_FREETYPE_H

const char* FreeTypeErrorMessage(FT_Error inError);
