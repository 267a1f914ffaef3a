#pragma once
// The FreeType library of one used-fonts repository and the streams FreeType reads font files
// through. Faces are opened on the library's own input files (not on FreeType's file access), so
// paths are UTF-8 as everywhere in the library; each file is read into memory once when its face
// is opened, and FreeType reads it from there. A file larger than any font (kMaxFontFileBytes) is
// refused before anything is read: a few hundred megabytes of zeros after a real font would
// otherwise all be held in memory. The caller owns each face it gets and releases
// it with FT_Done_Face (through FreeTypeFaceWrapper) before this object goes; the stream
// records stay here and are freed on destruction, FreeType having closed their files.

#include <ft2build.h>
#include FT_FREETYPE_H

#include <map>
#include <memory>
#include <string>
#include <vector>

class FreeTypeWrapper {
public:
    // The largest font files, collections of CJK faces, hold less than 30 MB; the bound leaves
    // them more than ten times that.
    static constexpr unsigned long long kMaxFontFileBytes = 512ull << 20;

    FreeTypeWrapper();
    ~FreeTypeWrapper();
    FreeTypeWrapper(const FreeTypeWrapper&) = delete;
    FreeTypeWrapper& operator=(const FreeTypeWrapper&) = delete;

    // The face at inFaceIndex of the font file, or null (logged).
    FT_Face NewFace(const std::string& inFilePath, FT_Long inFaceIndex);
    // The same, with a metrics file (AFM or PFM) attached to the face.
    FT_Face NewFace(const std::string& inFilePath, const std::string& inMetricsFilePath, FT_Long inFaceIndex);

    FT_Library GetFreeTypeLibrary() const { return mFreeType; }

private:
    // A stream record over the file, or null (logged) when it cannot be opened.
    std::unique_ptr<FT_StreamRec> CreateStream(const std::string& inFilePath);
    bool FillOpenFaceArgumentsForWideString(const std::string& inFilePath, FT_Open_Args& outArguments,
                                            std::unique_ptr<FT_StreamRec>& outStream);

    FT_Library mFreeType = nullptr;
    std::map<FT_Face, std::vector<std::unique_ptr<FT_StreamRec>>> mOpenStreams;
};
