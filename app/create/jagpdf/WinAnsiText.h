#pragma once
// UTF-8 text as WinAnsiEncoding bytes, the encoding of the standard fonts in documents. Latin-1
// and the typographic characters that WinAnsi adds (quotes, dashes, the euro sign ...) keep their
// look; tabs, line and paragraph separators and the other space characters become a space;
// everything else, malformed UTF-8 included, becomes "?". Pure functions, any thread.

#include <string>
#include <string_view>

namespace WinAnsiText {

std::string FromUTF8(std::string_view inUTF8);

} // namespace WinAnsiText
