#pragma once
// A calendar date with an optional relation to UTC, written as a PDF date string
// ("D:YYYYMMDDHHmmSS+HH'mm'"). Every field is -1 while unset; the date is unset while the year is.

#include "pdf/io/Platform.h"

#include <string>

class PDFDate {
public:
    enum EUTCRelation {
        eBehindUTC = 0,  // written "-"
        eAheadOfUTC = 1, // written "+"
        eSameAsUTC = 2,  // written "Z"
        eNoUTCRelation = 3
    };

    PDFDate() = default;

    bool IsNull() const { return mYear == -1; }
    void SetToNull() { *this = PDFDate(); }

    // Empty while unset. Without a UTC relation the fields are written up to the last one set;
    // with one, all six are, followed by the relation. An unset field before a set one is written
    // as the lowest value it can take (01 for month and day, 00 for the others).
    std::string FormatAsPDFString() const;

    // The current local time and the zone's present offset from UTC (daylight saving included).
    void SetToCurrentTime();
    // The same from a time already read; the seam that lets tests fix the instant.
    void SetToLocalTime(const Platform::LocalTime& inTime);

    int mYear = -1;
    int mMonth = -1;
    int mDay = -1;
    int mHour = -1;
    int mMinute = -1;
    int mSecond = -1;
    int mUTC = -1; // an EUTCRelation, or -1
    int mHourFromUTC = -1;
    int mMinuteFromUTC = -1;
};
