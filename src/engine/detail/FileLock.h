#pragma once
// An advisory shared lock on a table file, held while a cursor has the file open, so that
// a copy of a table in use (which takes an exclusive lock on its source) fails instead of
// copying a file that may be changing.

#include <QString>

namespace engine::detail {

class SharedFileLock
{
public:
    SharedFileLock() = default;
    ~SharedFileLock() { release(); }
    SharedFileLock(const SharedFileLock&) = delete;
    SharedFileLock& operator=(const SharedFileLock&) = delete;

    // Takes the shared lock without waiting; raises EngineError when the file is held
    // exclusively (being copied) or cannot be opened.
    void acquire(const QString& path);
    void release();
    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

} // namespace engine::detail
