#include "pdf/io/PDFDate.h"

#include "pdf/io/DiagnosticLog.h"

#include <cstdio>

// Two digits; an unset (or negative) field takes its lowest value.
static void AppendTwoDigits(std::string& ioText, int inValue, int inUnsetValue)
{
    int value = inValue < 0 ? inUnsetValue : inValue % 100;
    ioText.push_back(static_cast<char>('0' + value / 10));
    ioText.push_back(static_cast<char>('0' + value % 10));
}

std::string PDFDate::FormatAsPDFString() const
{
    if (mYear < 0)
        return std::string();

    const bool hasRelation = mUTC == eBehindUTC || mUTC == eAheadOfUTC || mUTC == eSameAsUTC;
    const int fields[5] = {mMonth, mDay, mHour, mMinute, mSecond};
    const int unsetValues[5] = {1, 1, 0, 0, 0};
    int lastSet = -1;
    if (hasRelation) {
        lastSet = 4;
    } else {
        for (int i = 0; i < 5; ++i)
            if (fields[i] >= 0)
                lastSet = i;
    }

    char year[8];
    snprintf(year, sizeof(year), "%04d", mYear % 10000);
    std::string text = "D:";
    text += year;
    for (int i = 0; i <= lastSet; ++i)
        AppendTwoDigits(text, fields[i], unsetValues[i]);

    if (hasRelation) {
        if (mUTC == eSameAsUTC) {
            text.push_back('Z');
        } else {
            text.push_back(mUTC == eAheadOfUTC ? '+' : '-');
            AppendTwoDigits(text, mHourFromUTC, 0);
            text.push_back('\'');
            AppendTwoDigits(text, mMinuteFromUTC, 0);
            text.push_back('\'');
        }
    }
    return text;
}

void PDFDate::SetToCurrentTime()
{
    Platform::LocalTime now;
    if (!Platform::GetCurrentLocalTime(now)) {
        TraceMessage("PDFDate::SetToCurrentTime, Couldn't read the clock.");
        return;
    }
    SetToLocalTime(now);
}

void PDFDate::SetToLocalTime(const Platform::LocalTime& inTime)
{
    mYear = inTime.year;
    mMonth = inTime.month;
    mDay = inTime.day;
    mHour = inTime.hour;
    mMinute = inTime.minute;
    mSecond = inTime.second;

    if (!inTime.hasUTCOffset) {
        mUTC = eNoUTCRelation;
        TraceMessage("PDFDate::SetToCurrentTime, Couldn't get UTC.");
        return;
    }
    long offset = inTime.utcOffsetSeconds; // local minus UTC: east of Greenwich is positive
    if (offset == 0) {
        mUTC = eSameAsUTC;
        return;
    }
    mUTC = offset > 0 ? eAheadOfUTC : eBehindUTC;
    long magnitude = offset > 0 ? offset : -offset;
    mHourFromUTC = static_cast<int>(magnitude / 3600);
    mMinuteFromUTC = static_cast<int>((magnitude % 3600) / 60);
}
