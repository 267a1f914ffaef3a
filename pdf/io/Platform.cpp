#include "pdf/io/Platform.h"

#include "pdf/io/CodePointString.h"

#include <cerrno>
#include <ctime>
#include <system_error>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Platform {

static bool IsAcceptablePath(const std::string& inUTF8Path)
{
    if (inUTF8Path.empty() || inUTF8Path.find('\0') != std::string::npos)
        return false;
    std::u16string wide;
    return WidePathFromUTF8(inUTF8Path, wide) == eSuccess;
}

// Reading: only regular files. fopen happily opens a directory (reads then fail forever) and
// waits without end on a named pipe that nobody writes, so the file is opened without blocking,
// checked, and only then handed to stdio.
static FILE* OpenRegularFileForReading(const std::string& inUTF8Path)
{
    int fd = ::open(inUTF8Path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat info;
    int flags = fcntl(fd, F_GETFL);
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return nullptr;
    }
    FILE* file = fdopen(fd, "rb");
    if (!file)
        ::close(fd);
    return file;
}

// Writing from the start: an empty file is not truncated. ext4 takes the truncation of a file as
// the sign of a replace-by-truncate and writes the file out when it is closed, which made a job
// writing thousands of outputs into fresh (already empty) temporary files wait on the disk for
// each one.
static FILE* OpenFileForWriting(const std::string& inUTF8Path)
{
    int fd = ::open(inUTF8Path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return nullptr;
    struct stat info;
    if (fstat(fd, &info) != 0 || (S_ISREG(info.st_mode) && info.st_size != 0 && ftruncate(fd, 0) != 0)) {
        ::close(fd);
        return nullptr;
    }
    FILE* file = fdopen(fd, "wb");
    if (!file)
        ::close(fd);
    return file;
}

FILE* OpenFile(const std::string& inUTF8Path, FileMode inMode)
{
    if (!IsAcceptablePath(inUTF8Path))
        return nullptr;
    if (inMode == FileMode::Read)
        return OpenRegularFileForReading(inUTF8Path);
    if (inMode == FileMode::WriteTruncate)
        return OpenFileForWriting(inUTF8Path);
    return std::fopen(inUTF8Path.c_str(), "ab");
}

CreateResult CreateFileExclusive(const std::string& inUTF8Path)
{
    if (!IsAcceptablePath(inUTF8Path))
        return CreateResult::Failed;
    int fd = ::open(inUTF8Path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno == EEXIST ? CreateResult::AlreadyExists : CreateResult::Failed;
    ::close(fd);
    return CreateResult::Created;
}

int SeekFile(FILE* inFile, long long inOffset, int inOrigin)
{
    return fseeko(inFile, static_cast<off_t>(inOffset), inOrigin);
}

long long TellFile(FILE* inFile)
{
    return static_cast<long long>(ftello(inFile));
}

bool IsRegularFile(const std::string& inUTF8Path)
{
    struct stat info;
    return IsAcceptablePath(inUTF8Path) && stat(inUTF8Path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsSameFile(const std::string& inFirstPath, const std::string& inSecondPath)
{
    struct stat first, second;
    if (!IsAcceptablePath(inFirstPath) || !IsAcceptablePath(inSecondPath))
        return false;
    if (stat(inFirstPath.c_str(), &first) != 0 || stat(inSecondPath.c_str(), &second) != 0)
        return false;
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool IsFileBusy(const std::string& inUTF8Path)
{
    if (!IsAcceptablePath(inUTF8Path))
        return false;
    // Neither created, truncated nor waited on (a named pipe without a reader).
    int fd = ::open(inUTF8Path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        return false;
    }
    return errno == ETXTBSY || errno == EBUSY;
}

bool FlushFileToDisk(const std::string& inUTF8Path)
{
    if (!IsAcceptablePath(inUTF8Path))
        return false;
    int fd = ::open(inUTF8Path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool flushed = ::fsync(fd) == 0;
    return ::close(fd) == 0 && flushed;
}

std::string LastErrorText()
{
    const int error = errno;
    // A call that failed without saying why would otherwise read "Success".
    return error != 0 ? std::generic_category().message(error) : std::string("the system gave no reason");
}

bool TruncateFile(const std::string& inUTF8Path, long long inSize)
{
    if (!IsAcceptablePath(inUTF8Path) || inSize < 0)
        return false;
    return ::truncate(inUTF8Path.c_str(), static_cast<off_t>(inSize)) == 0;
}

bool LocalTimeAt(time_t inTime, LocalTime& outTime)
{
    struct tm local;
    if (!localtime_r(&inTime, &local))
        return false;
    outTime.year = local.tm_year + 1900;
    outTime.month = local.tm_mon + 1;
    outTime.day = local.tm_mday;
    outTime.hour = local.tm_hour;
    outTime.minute = local.tm_min;
    outTime.second = local.tm_sec;
    // tm_gmtoff already includes daylight saving time.
    outTime.hasUTCOffset = true;
    outTime.utcOffsetSeconds = local.tm_gmtoff;
    return true;
}

bool GetCurrentLocalTime(LocalTime& outTime)
{
    time_t now = time(nullptr);
    if (now == static_cast<time_t>(-1))
        return false;
    return LocalTimeAt(now, outTime);
}

} // namespace Platform
