#include "engine/Engine.h"

#include "engine/detail/Sqlite.h"

namespace engine {

void setBusyTimeout(int ms)
{
    detail::setBusyTimeout(ms);
}

int busyTimeout()
{
    return detail::busyTimeout();
}

} // namespace engine
