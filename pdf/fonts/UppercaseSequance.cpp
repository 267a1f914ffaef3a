#include "pdf/fonts/UppercaseSequance.h"

#include "pdf/io/DiagnosticLog.h"

const std::string& UppercaseSequance::GetNextValue()
{
    size_t position = mSequanceString.size() - 1;
    while (true) {
        if (mSequanceString[position] < 'Z') {
            ++mSequanceString[position];
            break;
        }
        if (position == 0) {
            // Every prefix is used up; the first letter stays 'Z' and counting goes on from there.
            TraceMessage("UppercaseSequance::GetNextValue, oops, reached overflow");
            break;
        }
        mSequanceString[position] = 'A';
        --position;
    }
    return mSequanceString;
}
