#pragma once
// One row of a file tool's list: the path as it was added and the size of the file's first page
// in whole points, taken once when the file was accepted (tools that do not need the size leave
// it at 0). Two entries are the same file for the list exactly when their paths are equal.

#include <QString>

struct FileEntry {
    QString path;
    int pageWidth = 0;
    int pageHeight = 0;
};
