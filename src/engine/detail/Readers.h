#pragma once
// Readers that may keep a statement open on a table file (queries reading a result
// step by step). Before a write, the engine asks them to let go of the file, so that a
// cursor of the same program never blocks its own writes.

#include <QString>

namespace engine::detail {

class HeldReader
{
public:
    virtual ~HeldReader() = default;
    // Finish reading (keeping the rows) and release any lock on `canonicalPath`.
    virtual void releaseFile(const QString& canonicalPath) = 0;
};

void registerReader(HeldReader* reader);
void unregisterReader(HeldReader* reader);
void releaseReaders(const QString& canonicalPath);
QString canonicalTablePath(const QString& path);

} // namespace engine::detail
