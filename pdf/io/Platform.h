#pragma once
// The one place that knows the operating system: opening files by UTF-8 path, 64-bit
// positions, the local clock with its real UTC offset, and file identity. Everything else in
// the library and the application goes through here.

#include <cstdio>
#include <ctime>
#include <string>

namespace Platform {

enum class FileMode {
    Read,          // binary read; refuses anything that is not a regular file
    WriteTruncate, // binary write, created or truncated
    Append         // binary append, created when missing
};

// Opens a file by its UTF-8 path. A path that is not valid UTF-8 (or holds a NUL byte) is
// refused rather than shortened to a prefix that might name another file. Null on failure.
FILE* OpenFile(const std::string& inUTF8Path, FileMode inMode);

enum class CreateResult { Created, AlreadyExists, Failed };
// Creates a new, empty file, never touching one that already exists.
CreateResult CreateFileExclusive(const std::string& inUTF8Path);

int SeekFile(FILE* inFile, long long inOffset, int inOrigin); // 0 on success, like fseek
long long TellFile(FILE* inFile);                              // -1 on failure

bool IsRegularFile(const std::string& inUTF8Path);

// Same device and inode: two spellings of one path, or hard and symbolic links to one file.
bool IsSameFile(const std::string& inFirstPath, const std::string& inSecondPath);
// Whether the file cannot be opened for writing now because a running program holds it (on
// Linux, the file of a program that runs; elsewhere, a sharing violation). False for any other
// reason, and when it can be opened.
bool IsFileBusy(const std::string& inUTF8Path);
// Asks the system to put the file's data on the disk before it returns. False when it cannot.
bool FlushFileToDisk(const std::string& inUTF8Path);
// Cuts a file back to its first inSize bytes. False when the file cannot be cut.
bool TruncateFile(const std::string& inUTF8Path, long long inSize);

// The system's own text for the error of the last failed call on this thread ("No space left on
// device"), read before anything else can change it.
std::string LastErrorText();

struct LocalTime {
    int year = 0;   // full year, e.g. 2016
    int month = 0;  // 1 to 12
    int day = 0;    // 1 to 31
    int hour = 0;   // 0 to 23
    int minute = 0;
    int second = 0;
    bool hasUTCOffset = false;
    long utcOffsetSeconds = 0; // local time minus UTC, daylight saving included (east positive)
};

// The local time of a given instant, in the process's time zone (TZ). False when it cannot be
// converted.
bool LocalTimeAt(time_t inTime, LocalTime& outTime);

// The current local time. False when the clock could not be read.
bool GetCurrentLocalTime(LocalTime& outTime);

} // namespace Platform
