#pragma once
// What the Type 1 charstring interpreter reports, operator by operator, to the code that uses
// it. Each callback receives the operands of its operator (top last) by reference and returns 0
// to go on, anything else to stop the glyph with a failure. Type1InterpreterImplementationAdapter
// does nothing everywhere, so that an implementation overrides only what it needs.
// Operands are reals: the numbers of a program are integers, but div gives fractions, which
// fonts use for coordinates and widths.

#include "pdf/io/IOBasicTypes.h"

#include <cstdint>
#include <vector>

typedef std::vector<double> Type1OperandStack;

// One charstring or subroutine as stored in the font: still charstring-encrypted.
struct Type1CharString {
    std::vector<Byte> mCode;
};

class IType1InterpreterImplementation {
public:
    virtual int OnHstem(Type1OperandStack& inOperandStack) = 0;
    virtual int OnVstem(Type1OperandStack& inOperandStack) = 0;
    virtual int OnVmoveto(Type1OperandStack& inOperandStack) = 0;
    virtual int OnRlineto(Type1OperandStack& inOperandStack) = 0;
    virtual int OnHlineto(Type1OperandStack& inOperandStack) = 0;
    virtual int OnVlineto(Type1OperandStack& inOperandStack) = 0;
    virtual int OnRrcurveto(Type1OperandStack& inOperandStack) = 0;
    virtual int OnClosepath(Type1OperandStack& inOperandStack) = 0;
    // Null for a subroutine the font does not have; the interpreter then fails.
    virtual const Type1CharString* GetLocalSubr(long inSubrIndex) = 0;
    virtual int OnReturn(Type1OperandStack& inOperandStack) = 0;
    virtual int OnHsbw(Type1OperandStack& inOperandStack) = 0;
    virtual int OnEndchar(Type1OperandStack& inOperandStack) = 0;
    virtual int OnRmoveto(Type1OperandStack& inOperandStack) = 0;
    virtual int OnHmoveto(Type1OperandStack& inOperandStack) = 0;
    virtual int OnVhcurveto(Type1OperandStack& inOperandStack) = 0;
    virtual int OnHvcurveto(Type1OperandStack& inOperandStack) = 0;
    virtual int OnDotsection(Type1OperandStack& inOperandStack) = 0;
    virtual int OnVstem3(Type1OperandStack& inOperandStack) = 0;
    virtual int OnHstem3(Type1OperandStack& inOperandStack) = 0;
    virtual int OnSeac(Type1OperandStack& inOperandStack) = 0;
    virtual int OnSbw(Type1OperandStack& inOperandStack) = 0;
    virtual int OnDiv(Type1OperandStack& inOperandStack) = 0;
    // Whether the implementation handles this other subroutine itself (in OnCallOtherSubr).
    virtual bool AcceptsOtherSubr(long inOtherSubrIndex) = 0;
    virtual int OnCallOtherSubr(Type1OperandStack& inOperandStack, Type1OperandStack& inPostScriptStack) = 0;
    virtual int OnPop(Type1OperandStack& inOperandStack, Type1OperandStack& inPostScriptStack) = 0;
    virtual int OnSetCurrentPoint(Type1OperandStack& inOperandStack) = 0;
    virtual int OnNumberOperand(int32_t inOperand) = 0;
    // The count of leading bytes dropped from every charstring; -1 when they are not encrypted.
    virtual int LenIVBytes() = 0;

protected:
    ~IType1InterpreterImplementation() = default;
};

class Type1InterpreterImplementationAdapter : public IType1InterpreterImplementation {
public:
    int OnHstem(Type1OperandStack&) override { return 0; }
    int OnVstem(Type1OperandStack&) override { return 0; }
    int OnVmoveto(Type1OperandStack&) override { return 0; }
    int OnRlineto(Type1OperandStack&) override { return 0; }
    int OnHlineto(Type1OperandStack&) override { return 0; }
    int OnVlineto(Type1OperandStack&) override { return 0; }
    int OnRrcurveto(Type1OperandStack&) override { return 0; }
    int OnClosepath(Type1OperandStack&) override { return 0; }
    const Type1CharString* GetLocalSubr(long) override { return nullptr; }
    int OnReturn(Type1OperandStack&) override { return 0; }
    int OnHsbw(Type1OperandStack&) override { return 0; }
    int OnEndchar(Type1OperandStack&) override { return 0; }
    int OnRmoveto(Type1OperandStack&) override { return 0; }
    int OnHmoveto(Type1OperandStack&) override { return 0; }
    int OnVhcurveto(Type1OperandStack&) override { return 0; }
    int OnHvcurveto(Type1OperandStack&) override { return 0; }
    int OnDotsection(Type1OperandStack&) override { return 0; }
    int OnVstem3(Type1OperandStack&) override { return 0; }
    int OnHstem3(Type1OperandStack&) override { return 0; }
    int OnSeac(Type1OperandStack&) override { return 0; }
    int OnSbw(Type1OperandStack&) override { return 0; }
    int OnDiv(Type1OperandStack&) override { return 0; }
    bool AcceptsOtherSubr(long) override { return false; }
    int OnCallOtherSubr(Type1OperandStack&, Type1OperandStack&) override { return 0; }
    int OnPop(Type1OperandStack&, Type1OperandStack&) override { return 0; }
    int OnSetCurrentPoint(Type1OperandStack&) override { return 0; }
    int OnNumberOperand(int32_t) override { return 0; }
    int LenIVBytes() override { return 0; }

protected:
    ~Type1InterpreterImplementationAdapter() = default;
};
