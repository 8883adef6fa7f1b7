#include "engine/detail/FileLock.h"

#include "engine/Error.h"
#include "engine/ErrorCodes.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace engine::detail {

void SharedFileLock::acquire(const QString& path)
{
    release();
#ifdef Q_OS_UNIX
    const QByteArray native = path.toLocal8Bit();
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw zr::EngineError(QStringLiteral("Cannot open table file %1.").arg(path),
                              help::OpenFailed);
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
        ::close(fd);
        throw zr::EngineError(QStringLiteral("The table %1 is in use elsewhere.").arg(path),
                              help::TableInUse);
    }
    m_fd = fd;
#else
    // Windows: the file copy service and the engine both go through the platform's own
    // sharing rules; an advisory lock (LockFileEx) could be added here. Nothing is held.
    Q_UNUSED(path);
#endif
}

void SharedFileLock::release()
{
#ifdef Q_OS_UNIX
    if (m_fd >= 0) {
        ::flock(m_fd, LOCK_UN);
        ::close(m_fd);
    }
#endif
    m_fd = -1;
}

} // namespace engine::detail
