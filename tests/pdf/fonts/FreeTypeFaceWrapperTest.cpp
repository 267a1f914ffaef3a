// Font loading: the rules the face wrapper and its extenders answer by, FreeType's error texts,
// and faces of each kind opened through the library's own streams.

#include "pdf/fonts/FreeTypeErrorMessages.h"
#include "pdf/fonts/FreeTypeFaceWrapper.h"
#include "pdf/fonts/FreeTypeOpenTypeWrapper.h"
#include "pdf/fonts/FreeTypeWrapper.h"
#include "pdf/fonts/IWrittenFont.h"
#include "pdf/fonts/WrittenFontCFF.h"
#include "pdf/fonts/WrittenFontTrueType.h"

#include "FontTestSupport.h"
#include "tests/pdf/support/LogCapture.h"
#include "tests/pdf/support/TestDirectory.h"

#include FT_TRUETYPE_TABLES_H

#include <gtest/gtest.h>

using namespace fonttest;

TEST(FreeTypeFaceWrapperTest, StyleNamesGiveStretchAndWeight)
{
    const struct {
        const char* style;
        int stretch;
        int weight;
    } scStyles[] = {{"Bold Condensed", 3, 700},     {"Semi Condensed Light", 4, 300}, {"Demi Light", 5, 400},
                    {"Regular", 5, 400},            {"", 5, 400},                     {"Ultra Expanded Black", 9, 900},
                    {"Extra Compressed Thin", 1, 100}, {"Semi Bold Expanded", 7, 600}, {"bold", 5, 400}};
    for (const auto& entry : scStyles) {
        EXPECT_EQ(FreeTypeFaceWrapper::FontStretchForStyleName(entry.style), entry.stretch) << entry.style;
        EXPECT_EQ(FreeTypeFaceWrapper::FontWeightForStyleName(entry.style), entry.weight) << entry.style;
    }
}

TEST(FreeTypeFaceWrapperTest, FixedRulesOfTheExtenders)
{
    const struct {
        uint32_t unicode;
        bool latin;
    } scCharacters[] = {{0, true},     {126, true},    {127, false},    {160, false},  {161, true},
                        {173, false},  {178, true},    {179, false},    {180, true},   {190, false},
                        {255, true},   {0x20AC, true}, {0x2192, false}, {64258, true}, {0x4E2D, false}};
    for (const auto& entry : scCharacters)
        EXPECT_EQ(IsStandardLatinCharacter(entry.unicode), entry.latin) << entry.unicode;

    const int scWeights[] = {1000, 100, 100, 100, 200, 300, 400, 400, 400, 600, 600, 700, 800, 900, 900, 900, 1000};
    for (int stroke = -8; stroke <= 8; ++stroke)
        EXPECT_EQ(FreeTypeOpenTypeWrapper::WeightFromPCLTStrokeWeight(stroke), scWeights[stroke + 8]) << stroke;
    const int scWidths[][2] = {{4, 9}, {-4, 1}, {5, 9}, {-5, 1}, {0, 5}};
    for (const auto& width : scWidths)
        EXPECT_EQ(FreeTypeOpenTypeWrapper::StretchFromPCLTWidthType(width[0]), width[1]);
    EXPECT_EQ(FreeTypeOpenTypeWrapper::StemVFromWeight(500), 109);
    EXPECT_EQ(FreeTypeOpenTypeWrapper::StemVFromWeight(400), 87);
    EXPECT_EQ(FreeTypeOpenTypeWrapper::StemVFromWeight(0), 50);

    const struct {
        const char* path;
        bool pfm;
    } scPaths[] = {{"a.pfm", true}, {"dir.x/a.PFM", true}, {"a.Pfm", false}, {"a.afm", false},
                   {"pfm", false},  {"a.", false},         {"", false}};
    for (const auto& entry : scPaths)
        EXPECT_EQ(FreeTypeFaceWrapper::IsPFMPath(entry.path), entry.pfm) << entry.path;

    EXPECT_STREQ(FreeTypeErrorMessage(FT_Err_Unknown_File_Format), "unknown file format");
    EXPECT_STREQ(FreeTypeErrorMessage(FT_Err_Invalid_Glyph_Index), "invalid glyph index");
    EXPECT_STREQ(FreeTypeErrorMessage(0x7FFF), "unknown error");
}

TEST(FreeTypeFaceWrapperTest, TrueTypeFaceAnswersFromItsTables)
{
    FreeTypeWrapper freeType;
    FreeTypeFaceWrapper face(freeType.NewFace(kDejaVuSans, 0), kDejaVuSans, "", 0);
    ASSERT_NE(face.GetFace(), nullptr);
    ASSERT_NE(dynamic_cast<FreeTypeOpenTypeWrapper*>(face.GetFormatSpecificExtender()), nullptr);
    EXPECT_NE(dynamic_cast<WrittenFontTrueType*>(face.CreateWrittenFontObject(nullptr).get()), nullptr);

    ReferenceFace reference(kDejaVuSans);
    TT_OS2* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(reference.Face(), FT_SFNT_OS2));
    ASSERT_TRUE(face.CapHeightInFontUnits().has_value());
    EXPECT_EQ(*face.CapHeightInFontUnits(), os2->sCapHeight);
    EXPECT_EQ(*face.XHeightScaled(), static_cast<FT_Short>(os2->sxHeight * 1000.0 / 2048));
    EXPECT_EQ(face.ScaleToThousandUnitsPerEm(1229), 600);
    EXPECT_EQ(face.ScaleToThousandUnitsPerEm(-1229), -600);
    EXPECT_TRUE(face.GetFormatSpecificExtender()->HasSerifFlag());
    EXPECT_EQ(face.GetFormatSpecificExtender()->FontWeight(), os2->usWeightClass);
    EXPECT_EQ(face.GlyphNameOfIndex(static_cast<uint16_t>(FT_Get_Char_Index(reference.Face(), 'A'))), "A");
    EXPECT_EQ(face.FallbackGlyphName(), ".notdef");

    testsupport::LogCapture log;
    std::vector<uint16_t> glyphs;
    EXPECT_EQ(face.GetGlyphsForUnicodeText({'A', 0x10FFFD, 0x3A9, 0xE0001}, glyphs), eFailure);
    EXPECT_EQ(glyphs, (std::vector<uint16_t>{static_cast<uint16_t>(FT_Get_Char_Index(reference.Face(), 'A')), 0,
                                             static_cast<uint16_t>(FT_Get_Char_Index(reference.Face(), 0x3A9)), 0}));
    EXPECT_EQ(log.LineCount(), 2u);
    EXPECT_TRUE(log.Contains("FreeTypeFaceWrapper::GetGlyphsForUnicodeText, failed to find glyph for charachter "
                             "0x10fffd"))
        << log.Text();

    // The glyph slot holds the last glyph asked for, also after a height query.
    ASSERT_EQ(face.LoadGlyph(glyphs[2]), 0);
    FT_Pos omega = face.GetFace()->glyph->metrics.horiAdvance;
    ASSERT_EQ(face.LoadGlyph(glyphs[0]), 0);
    face.CapHeightInFontUnits();
    face.XHeightInFontUnits();
    ASSERT_EQ(face.LoadGlyph(glyphs[2]), 0);
    EXPECT_EQ(face.GetFace()->glyph->metrics.horiAdvance, omega);
}

TEST(FreeTypeFaceWrapperTest, Type1FacesUseTheirEncoding)
{
    testsupport::LogCapture log;
    FreeTypeWrapper freeType;
    // An AFM file is attached for FreeType and not read as PFM.
    FreeTypeFaceWrapper nimbus(freeType.NewFace(kNimbusSansType1, kNimbusSansAFM, 0), kNimbusSansType1,
                               kNimbusSansAFM, 0);
    ASSERT_NE(nimbus.GetFace(), nullptr);
    IFreeTypeFaceExtender* extender = nimbus.GetFormatSpecificExtender();
    ASSERT_NE(extender, nullptr);
    EXPECT_FALSE(log.Contains("PFMFileReader::Read"));
    EXPECT_FALSE(extender->UsesOwnEncoding());
    EXPECT_FALSE(extender->CapHeight().has_value());
    EXPECT_EQ(extender->FontWeight(), IFreeTypeFaceExtender::kUnknownFontWeight);
    EXPECT_GT(extender->StemV(), 0);
    auto written = nimbus.CreateWrittenFontObject(nullptr);
    ASSERT_NE(dynamic_cast<WrittenFontCFF*>(written.get()), nullptr);
    EXPECT_FALSE(static_cast<WrittenFontCFF*>(written.get())->IsCID());

    // A font with its own encoding array: characters reach glyphs by name, not by the code
    // their value would have in that encoding (0x41 there is Alpha).
    FreeTypeFaceWrapper symbol(freeType.NewFace(kStandardSymbolsType1, 0), kStandardSymbolsType1, "", 0);
    ASSERT_NE(symbol.GetFormatSpecificExtender(), nullptr);
    ASSERT_TRUE(symbol.GetFormatSpecificExtender()->UsesOwnEncoding());
    std::vector<uint16_t> codes;
    EXPECT_EQ(symbol.GetGlyphsForUnicodeText({0x391, 0x141, 0x20}, codes), eFailure);
    EXPECT_EQ(codes, (std::vector<uint16_t>{static_cast<uint16_t>(FT_Get_Name_Index(symbol.GetFace(), "Alpha")), 0,
                                            static_cast<uint16_t>(FT_Get_Name_Index(symbol.GetFace(), "space"))}));
    EXPECT_TRUE(log.Contains("failed to find glyph for charachter 0x0141")) << log.Text();
}

TEST(FreeTypeFaceWrapperTest, FilesThatAreNoUsableFontFailWithFreeTypesReason)
{
    testsupport::TestDirectory folder;
    testsupport::LogCapture log;
    FreeTypeWrapper freeType;
    // Long enough for FreeType's probes of Mac resource headers, so that only the format is wrong.
    std::string notAFont;
    while (notAFont.size() < 1000)
        notAFont += "%PDF-1.4 no font here\n";
    EXPECT_EQ(freeType.NewFace(folder.Write("not-a-font.ttf", notAFont), 0), nullptr);
    EXPECT_TRUE(log.Contains("FreeTypeWrapper::NewFace, unable to load font named ")) << log.Text();
    EXPECT_TRUE(log.Contains("FreeTypeWrapper::NewFace, Free Type Error, Code = 2, Message = unknown file format"))
        << log.Text();
    EXPECT_EQ(freeType.NewFace(folder.PathOf("missing.ttf"), 0), nullptr);
    EXPECT_TRUE(log.Contains("FreeTypeWrapper::FillOpenFaceArgumentsForWideString, Cannot Open file for reading"));
    EXPECT_EQ(freeType.NewFace(kDejaVuSans, 1), nullptr);
    EXPECT_EQ(freeType.NewFace(kDejaVuSans, folder.PathOf("missing.afm"), 0), nullptr);

    // A bitmap font opens in FreeType but has no extender and no written font.
    std::string bdf = "STARTFONT 2.1\nFONT -x-test-medium-r-normal--8-80-75-75-c-80-iso10646-1\nSIZE 8 75 75\n"
                      "FONTBOUNDINGBOX 8 8 0 0\nSTARTPROPERTIES 2\nFONT_ASCENT 8\nFONT_DESCENT 0\nENDPROPERTIES\n"
                      "CHARS 1\nSTARTCHAR A\nENCODING 65\nSWIDTH 500 0\nDWIDTH 8 0\nBBX 8 8 0 0\nBITMAP\n"
                      "FF\nFF\nFF\nFF\nFF\nFF\nFF\nFF\nENDCHAR\nENDFONT\n";
    std::string path = folder.Write("bitmap.bdf", bdf);
    FreeTypeFaceWrapper bitmap(freeType.NewFace(path, 0), path, "", 0);
    ASSERT_NE(bitmap.GetFace(), nullptr);
    EXPECT_EQ(bitmap.GetFormatSpecificExtender(), nullptr);
    EXPECT_EQ(bitmap.CreateWrittenFontObject(nullptr), nullptr);
    EXPECT_TRUE(log.Contains("could not find format specific implementation for BDF")) << log.Text();
}
