#include "engine/detail/QueryCursor.h"

#include "engine/ErrorCodes.h"

namespace engine::detail {

QueryCursor::QueryCursor(Connection& db, const QString& sql, const QVariantList& params,
                         int columns, const QSet<QString>& files)
    : m_db(db), m_stmt(db.get(), sql, help::QuerySyntax), m_sql(sql), m_params(params),
      m_columns(columns), m_files(files)
{
    m_stmt.bindAll(params);
    registerReader(this);
}

QueryCursor::~QueryCursor()
{
    unregisterReader(this);
}

bool QueryCursor::readOne()
{
    if (m_done)
        return false;
    bool more = false;
    try {
        more = m_stmt.step();
    } catch (...) {
        m_done = true;
        m_stmt.reset();
        throw;
    }
    if (!more) {
        m_done = true;
        m_stmt.reset(); // the read lock goes with it
        m_count = m_first + int(m_rows.size());
        return false;
    }
    if (m_forwardOnly && !m_rows.empty()) {
        // Only the newest row is kept.
        m_first += int(m_rows.size());
        m_rows.clear();
    }
    Row r;
    r.values.reserve(m_columns);
    for (int i = 0; i < m_columns; ++i)
        r.values << m_stmt.column(i);
    m_rows.push_back(std::move(r));
    return true;
}

const Row* QueryCursor::row(int position)
{
    if (position < 0)
        return nullptr;
    if (position < m_first)
        throw zr::EngineError(
            QStringLiteral("Cannot move back on a forward-only query (record %1, now at %2).")
                .arg(position + 1)
                .arg(m_first + 1),
            help::WrongState);
    while (m_first + int(m_rows.size()) <= position && readOne()) {
    }
    const int at = position - m_first;
    return at < int(m_rows.size()) ? &m_rows[size_t(at)] : nullptr;
}

int QueryCursor::count()
{
    if (m_count >= 0)
        return m_count;
    // Counting on a statement of its own keeps the rows read so far.
    Stmt s(m_db.get(), QStringLiteral("SELECT count(*) FROM (") + m_sql + u')', help::QuerySyntax);
    s.bindAll(m_params);
    m_count = s.step() ? int(s.columnInt(0)) : 0;
    return m_count;
}

int QueryCursor::locate(const Row&, bool* exact)
{
    if (exact)
        *exact = false;
    return 0;
}

void QueryCursor::releaseFile(const QString& canonicalPath)
{
    if (m_done || !m_files.contains(canonicalPath))
        return;
    // The rest of the result is kept from here on, so the reader still finds it.
    m_forwardOnly = false;
    while (readOne()) {
    }
}

} // namespace engine::detail
