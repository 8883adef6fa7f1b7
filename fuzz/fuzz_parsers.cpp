// Fuzz target for the two text parsers of the table engine: record filters and the query
// dialect. Any input must either be read or be refused with an engine error; a filter that
// is read must read back the same after being written out again.

#include "engine/Error.h"
#include "engine/detail/Dialect.h"
#include "engine/detail/Filter.h"

#include <cstdint>
#include <cstdlib>

namespace {

bool sameTerms(const QList<engine::detail::FilterTerm>& a,
               const QList<engine::detail::FilterTerm>& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a[i].field.compare(b[i].field, Qt::CaseInsensitive) != 0 || a[i].op != b[i].op ||
            a[i].prefix != b[i].prefix || a[i].value.toString() != b[i].value.toString())
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data),
                                           static_cast<qsizetype>(size));
    try {
        const auto terms = engine::detail::parseFilter(text);
        const auto again = engine::detail::parseFilter(engine::detail::filterText(terms));
        if (!sameTerms(terms, again))
            std::abort();
    } catch (const zr::EngineError&) {
    }
    try {
        int attached = 0;
        const auto attach = [&attached](const QString&) {
            return engine::detail::AttachedTable{QStringLiteral("t%1").arg(attached++),
                                                 QStringLiteral("records")};
        };
        const auto query = engine::detail::translateQuery(text, attach);
        if (query.sql.isEmpty())
            std::abort();
    } catch (const zr::EngineError&) {
    }
    return 0;
}
