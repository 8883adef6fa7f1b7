#include "engine/detail/Readers.h"

#include <QFileInfo>
#include <algorithm>
#include <vector>

namespace engine::detail {

namespace {
std::vector<HeldReader*>& readers()
{
    static std::vector<HeldReader*> list;
    return list;
}
} // namespace

void registerReader(HeldReader* reader)
{
    readers().push_back(reader);
}

void unregisterReader(HeldReader* reader)
{
    auto& list = readers();
    list.erase(std::remove(list.begin(), list.end(), reader), list.end());
}

void releaseReaders(const QString& canonicalPath)
{
    const auto list = readers(); // a reader may unregister while releasing
    for (HeldReader* r : list)
        r->releaseFile(canonicalPath);
}

QString canonicalTablePath(const QString& path)
{
    const QString c = QFileInfo(path).canonicalFilePath();
    return c.isEmpty() ? QFileInfo(path).absoluteFilePath() : c;
}

} // namespace engine::detail
