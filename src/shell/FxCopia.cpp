// CopiaFile: a byte copy through a fixed 2048-byte buffer that keeps the file's time and
// its read-only attribute. Neither file may be in use by anyone else while it is copied.

#include "shell/Fx.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
constexpr int kBuffer = 2048;
}

#ifdef Q_OS_WIN

bool CopiaFile(const QString& source, const QString& target)
{
    if (source == target)
        return false;
    const std::wstring from = source.toStdWString();
    const std::wstring to = target.toStdWString();

    // No sharing: the open fails while anyone else holds the file.
    HANDLE in = CreateFileW(from.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    if (in == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(in, &size)) {
        CloseHandle(in);
        return false;
    }
    // CREATE_ALWAYS fails on a read-only file of that name: it is not replaced.
    HANDLE out = CreateFileW(to.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) {
        CloseHandle(in);
        return false;
    }
    char buffer[kBuffer];
    long long remaining = size.QuadPart;
    bool ok = true;
    while (ok && remaining > 0) {
        DWORD got = 0;
        if (!ReadFile(in, buffer, kBuffer, &got, nullptr) || got == 0) {
            ok = false; // read failure, or the source shrank
            break;
        }
        DWORD put = 0;
        if (!WriteFile(out, buffer, got, &put, nullptr) || put != got)
            ok = false;
        remaining -= got;
    }
    FILETIME written{};
    if (ok && GetFileTime(in, nullptr, nullptr, &written))
        ok = SetFileTime(out, nullptr, nullptr, &written) != 0;
    if (!CloseHandle(out))
        ok = false;
    if (!ok) {
        DeleteFileW(to.c_str()); // no truncated copy is left behind
        CloseHandle(in);
        return false;
    }
    const DWORD attributes = GetFileAttributesW(from.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesW(to.c_str(),
                           attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                         FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE));
    CloseHandle(in);
    return true;
}

#else

namespace {

struct Fd
{
    int fd = -1;
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// "Without sharing": an exclusive lock that is not waited for. The table engine, and any
// other running instance, holds a shared lock on each table file it has open.
bool lockExclusive(int fd)
{
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
}

bool writeAll(int fd, const char* data, ssize_t count)
{
    while (count > 0) {
        const ssize_t put = ::write(fd, data, static_cast<size_t>(count));
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (put == 0)
            return false;
        data += put;
        count -= put;
    }
    return true;
}

// The read-only attribute of a POSIX file: no write permission for its owner.
bool readOnly(const struct stat& st)
{
    return (st.st_mode & S_IWUSR) == 0;
}

} // namespace

bool CopiaFile(const QString& source, const QString& target)
{
    // 1. Equal texts: nothing is touched.
    if (source == target)
        return false;
    const QByteArray from = QFile::encodeName(source);
    const QByteArray to = QFile::encodeName(target);

    // 2. The source, held exclusively.
    Fd in{::open(from.constData(), O_RDONLY | O_CLOEXEC)};
    if (in.fd < 0 || !lockExclusive(in.fd))
        return false;
    // 3. Its size.
    struct stat sourceStat
    {
    };
    if (::fstat(in.fd, &sourceStat) != 0 || !S_ISREG(sourceStat.st_mode))
        return false;

    // 4. The target: a read-only file of that name is not replaced (also not for a user
    // whom the permission bits do not stop), one in use is not touched.
    struct stat targetStat
    {
    };
    const bool existed = ::stat(to.constData(), &targetStat) == 0;
    if (existed && (readOnly(targetStat) || !S_ISREG(targetStat.st_mode)))
        return false;
    if (existed && targetStat.st_dev == sourceStat.st_dev && targetStat.st_ino == sourceStat.st_ino)
        return false; // the same file under another name
    Fd out{::open(to.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666)};
    if (out.fd < 0)
        return false;
    auto fail = [&] {
        ::unlink(to.constData()); // no partial or truncated copy is left behind
        return false;
    };
    if (!lockExclusive(out.fd)) {
        if (!existed)
            ::unlink(to.constData());
        return false;
    }
    if (::ftruncate(out.fd, 0) != 0)
        return fail();

    // 5. The bytes, through the fixed buffer.
    char buffer[kBuffer];
    off_t remaining = sourceStat.st_size;
    while (remaining > 0) {
        ssize_t got;
        do {
            got = ::read(in.fd, buffer, kBuffer);
        } while (got < 0 && errno == EINTR);
        if (got <= 0)
            return fail(); // read failure, or the source shrank under us
        if (!writeAll(out.fd, buffer, got))
            return fail();
        remaining -= got;
    }

    // 6. The source's last-modified time and permission bits (read-only included).
    const struct timespec times[2] = {{0, UTIME_OMIT}, sourceStat.st_mtim};
    if (::futimens(out.fd, times) != 0)
        return fail();
    if (::fchmod(out.fd, sourceStat.st_mode & 0777) != 0)
        return fail();
    const int closed = ::close(out.fd);
    out.fd = -1;
    if (closed != 0)
        return fail();
    // 7. Done; the source is released on return.
    return true;
}

#endif
