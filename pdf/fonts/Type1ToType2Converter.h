#pragma once
// Rewrites Type 1 glyph programs as Type 2 charstrings. The glyph runs through the Type 1
// interpreter (subroutines in place, so the result calls none); the drawing and hinting
// operators are recorded as commands and reshaped in three passes: stem hints (plain stems, or
// hstemhm/vstemhm with hint masks when the glyph replaces hints or declares stems late), path
// commands (absolute first move, shorter curve forms, merged runs) and the width (an absolute
// first operand, nominalWidthX being 0). One converter serves a whole subset, glyph by glyph;
// the font and the output stream are not owned. Values stay reals throughout: whole ones are
// written as Type 2 integers, fractions (from div) as 16.16 reals.

#include "pdf/fonts/IType1InterpreterImplementation.h"
#include "pdf/io/IByteWriter.h"

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

class Type1Input;

struct CharStringCommand {
    uint16_t mCode;
    std::vector<double> mOperands; // a hintmask's are its mask bytes
};

class Type1ToType2Converter : public Type1InterpreterImplementationAdapter {
public:
    // A Type 2 glyph has at most 96 stem hints.
    static constexpr size_t kMaxStems = 96;

    OpStatus WriteConvertedFontProgram(const std::string& inGlyphName, Type1Input* inFont, IByteWriter* inOutput);
    // The base and accent codes of the seac in the glyph converted last (empty without one).
    const std::vector<Byte>& SeacComponents() const { return mSeacComponents; }

    int OnHstem(Type1OperandStack& inOperandStack) override;
    int OnVstem(Type1OperandStack& inOperandStack) override;
    int OnVmoveto(Type1OperandStack& inOperandStack) override;
    int OnRlineto(Type1OperandStack& inOperandStack) override;
    int OnHlineto(Type1OperandStack& inOperandStack) override;
    int OnVlineto(Type1OperandStack& inOperandStack) override;
    int OnRrcurveto(Type1OperandStack& inOperandStack) override;
    const Type1CharString* GetLocalSubr(long inSubrIndex) override;
    int OnHsbw(Type1OperandStack& inOperandStack) override;
    int OnEndchar(Type1OperandStack& inOperandStack) override;
    int OnRmoveto(Type1OperandStack& inOperandStack) override;
    int OnHmoveto(Type1OperandStack& inOperandStack) override;
    int OnVhcurveto(Type1OperandStack& inOperandStack) override;
    int OnHvcurveto(Type1OperandStack& inOperandStack) override;
    int OnVstem3(Type1OperandStack& inOperandStack) override;
    int OnHstem3(Type1OperandStack& inOperandStack) override;
    int OnSeac(Type1OperandStack& inOperandStack) override;
    int OnSbw(Type1OperandStack& inOperandStack) override;
    bool AcceptsOtherSubr(long inOtherSubrIndex) override;
    int OnCallOtherSubr(Type1OperandStack& inOperandStack, Type1OperandStack& inPostScriptStack) override;
    int LenIVBytes() override;

private:
    typedef std::pair<double, double> Stem; // position, extent
    typedef std::vector<CharStringCommand> CommandList;

    void Clear();
    int Record(uint16_t inCode, const Type1OperandStack& inOperandStack, size_t inCount);
    int AddStems(std::set<Stem>& ioStems, uint16_t inCode, const Type1OperandStack& inOperandStack, size_t inCount);
    OpStatus ConvertStems();
    void ConvertPathCommands();
    void MergeRuns();
    void AddWidth();
    OpStatus Encode(IByteWriter* inOutput);
    // The stems of a set as Type 2 stem commands of inCode, split so that none overflows the
    // argument stack.
    void AppendStemCommands(uint16_t inCode, const std::set<Stem>& inStems, double inSideBearing,
                            CommandList& ioCommands);
    std::vector<double> MaskOf(const std::set<size_t>& inHints) const;
    void AddHintsOf(const CharStringCommand& inCommand, std::set<size_t>& ioHints) const;

    Type1Input* mFont = nullptr;
    CommandList mCommands;
    bool mHintReplacement = false;
    bool mLateStems = false;
    bool mDrawing = false;
    bool mFirstFlexPoint = false;
    bool mInFlex = false;
    std::vector<double> mFlexParameters;
    double mSideBearingX = 0;
    double mSideBearingY = 0;
    double mWidthX = 0;
    double mWidthY = 0;
    std::set<Stem> mHorizontalStems;
    std::set<Stem> mVerticalStems;
    std::map<Stem, size_t> mHorizontalHintNumbers;
    std::map<Stem, size_t> mVerticalHintNumbers;
    std::vector<Byte> mSeacComponents;
};
