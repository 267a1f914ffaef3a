#pragma once
// The document information record: six text entries, two dates, the trapped state and any
// further entries, written as the file's information dictionary when anything is set.

#include "pdf/io/PDFDate.h"

#include <map>
#include <string>

enum EInfoTrapped { EInfoTrappedTrue = 0, EInfoTrappedFalse = 1, EInfoTrappedUnknown = 2 };

class DocumentInfo {
public:
    std::string Title;
    std::string Author;
    std::string Subject;
    std::string Keywords;
    std::string Creator;
    std::string Producer;
    PDFDate CreationDate;
    PDFDate ModDate;
    EInfoTrapped Trapped = EInfoTrappedUnknown;
    // Written after the others, in key order; key as a name, value as a literal string.
    std::map<std::string, std::string> AdditionalInfoEntries;

    // True when nothing is set, so that no information dictionary is written.
    bool IsEmpty() const;
    void Reset() { *this = DocumentInfo(); }
};
