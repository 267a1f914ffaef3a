#pragma once
// UTF-8 text as glyphs of the standard Times and Courier faces (StandardFontMetrics). Latin-1
// and the typographic characters that WinAnsi adds (quotes, dashes, the euro sign ...) become
// their WinAnsi codes; the letters and signs the faces have beyond WinAnsi become those glyphs;
// tabs, line and paragraph separators and the other space characters become a space; everything
// else (Greek, Cyrillic, CJK, emoji ...), malformed UTF-8 included, becomes "?". Pure functions,
// any thread.

#include "app/create/jagpdf/StandardFontMetrics.h"

#include <string_view>

namespace StandardText {

StandardGlyphs FromUTF8(std::string_view inUTF8);

} // namespace StandardText
