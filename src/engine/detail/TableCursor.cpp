#include "engine/detail/TableCursor.h"

#include "engine/ErrorCodes.h"

#include <algorithm>
#include <climits>

namespace engine::detail {

TableCursor::TableCursor(Connection& db, const TableSchema& schema) : m_db(db), m_schema(schema)
{
    QStringList cols;
    for (const FieldDef& f : schema.fields)
        cols << quoteIdent(f.name);
    cols << QStringLiteral("rowid");
    m_select = cols.join(QStringLiteral(", "));
    if (schema.keyColumns.isEmpty()) {
        m_keyExpr << QStringLiteral("rowid");
        m_keyDesc << false;
    } else {
        for (int i = 0; i < schema.keyColumns.size(); ++i) {
            QString e = quoteIdent(schema.fields[schema.keyColumns[i]].name);
            if (schema.keyNoCase.value(i))
                e = u'(' + e + QStringLiteral(" COLLATE NOCASE)");
            m_keyExpr << e;
            m_keyDesc << schema.keyDescending.value(i);
        }
    }
    m_dataVersion = m_db.dataVersion();
}

Stmt& TableCursor::prepared(const QString& sql)
{
    auto it = m_stmts.find(sql);
    if (it == m_stmts.end())
        it = m_stmts.emplace(sql, Stmt(m_db.get(), sql, help::Internal)).first;
    return it->second;
}

namespace {

bool sameValues(const QVariantList& a, const QVariantList& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a[i].typeId() != b[i].typeId() || a[i].isNull() != b[i].isNull() || a[i] != b[i])
            return false;
    }
    return true;
}

} // namespace

void TableCursor::setFilter(const FilterSql& filter)
{
    if (filter.where == m_filter.where && sameValues(filter.params, m_filter.params)) {
        // The same set again: what was read of it stays good unless the file changed
        // elsewhere (this connection's own writes already keep the cache in step).
        refreshIfChanged();
        return;
    }
    m_filter = filter;
    // Statements are keyed by their text, and filter values are bound: a search for
    // another value reuses them. Only an unusual number of filter shapes drops them.
    if (m_stmts.size() > size_t(kMaxStatements))
        m_stmts.clear();
    invalidate();
}

void TableCursor::invalidate()
{
    m_pages.clear();
    m_count = -1;
}

bool TableCursor::refreshIfChanged()
{
    Stmt& s = prepared(QStringLiteral("PRAGMA data_version"));
    const qint64 v = s.step() ? s.columnInt(0) : 0;
    s.reset();
    if (v == m_dataVersion)
        return false;
    m_dataVersion = v;
    invalidate();
    return true;
}

QString TableCursor::where(const QString& extra) const
{
    QStringList parts;
    if (!m_filter.where.isEmpty())
        parts << u'(' + m_filter.where + u')';
    if (!extra.isEmpty())
        parts << u'(' + extra + u')';
    return parts.isEmpty() ? QString()
                           : QStringLiteral(" WHERE ") + parts.join(QStringLiteral(" AND "));
}

QString TableCursor::orderBy(bool forward) const
{
    QStringList parts;
    for (int i = 0; i < m_keyExpr.size(); ++i)
        parts << m_keyExpr[i] + ((m_keyDesc[i] != !forward) ? QStringLiteral(" DESC") : QString());
    return QStringLiteral(" ORDER BY ") + parts.join(QStringLiteral(", "));
}

QString TableCursor::keyCondition(bool forward) const
{
    // Lexicographic comparison with the key bound as ?1..?n after the filter's parameters.
    const int base = int(m_filter.params.size());
    auto op = [&](int i) {
        const bool greater = (m_keyDesc[i] == !forward);
        return greater ? QStringLiteral(" > ") : QStringLiteral(" < ");
    };
    auto param = [&](int i) { return QStringLiteral("?%1").arg(base + i + 1); };
    if (m_keyExpr.size() == 1)
        return m_keyExpr[0] + op(0) + param(0);
    const bool sameDir =
        std::all_of(m_keyDesc.begin(), m_keyDesc.end(), [&](bool d) { return d == m_keyDesc[0]; });
    if (sameDir) {
        QStringList ps;
        for (int i = 0; i < m_keyExpr.size(); ++i)
            ps << param(i);
        return u'(' + m_keyExpr.join(QStringLiteral(", ")) + u')' + op(0) + u'(' +
               ps.join(QStringLiteral(", ")) + u')';
    }
    QStringList ors;
    for (int i = 0; i < m_keyExpr.size(); ++i) {
        QStringList ands;
        for (int j = 0; j < i; ++j)
            ands << m_keyExpr[j] + QStringLiteral(" = ") + param(j);
        ands << m_keyExpr[i] + op(i) + param(i);
        ors << u'(' + ands.join(QStringLiteral(" AND ")) + u')';
    }
    return ors.join(QStringLiteral(" OR "));
}

void TableCursor::fillKey(Row& row) const
{
    row.key.clear();
    if (m_schema.keyColumns.isEmpty()) {
        row.key << QVariant(row.rowid);
    } else {
        for (int c : m_schema.keyColumns)
            row.key << row.values.value(c);
    }
}

int TableCursor::fetch(const QString& sql, const QVariantList& params, std::vector<Row>& out)
{
    Stmt& s = prepared(sql);
    const int n = int(m_schema.fields.size());
    try {
        s.bindAll(params);
        while (s.step()) {
            Row r;
            r.values.reserve(n);
            for (int i = 0; i < n; ++i)
                r.values << s.column(i);
            r.rowid = s.columnInt(n);
            fillKey(r);
            out.push_back(std::move(r));
        }
    } catch (...) {
        s.reset();
        throw;
    }
    s.reset();
    return int(out.size());
}

void TableCursor::remember(int start, std::vector<Row>&& rows, int near)
{
    if (rows.empty())
        return;
    m_pages[start] = std::move(rows);
    while (m_pages.size() > size_t(kMaxPages)) {
        // Drop the page farthest from where the reader is.
        auto far = m_pages.begin();
        int farDist = -1;
        for (auto it = m_pages.begin(); it != m_pages.end(); ++it) {
            const int dist = std::abs(it->first - near);
            if (dist > farDist) {
                farDist = dist;
                far = it;
            }
        }
        m_pages.erase(far);
    }
}

const Row* TableCursor::row(int position)
{
    if (position < 0 || (m_count >= 0 && position >= m_count))
        return nullptr;
    auto next = m_pages.upper_bound(position);
    if (next != m_pages.begin()) {
        auto prev = std::prev(next);
        if (position < prev->first + int(prev->second.size()))
            return &prev->second[size_t(position - prev->first)];
    }
    const bool hasPrev = next != m_pages.begin();
    const bool hasNext = next != m_pages.end();
    const int prevEnd = hasPrev ? std::prev(next)->first + int(std::prev(next)->second.size()) : 0;
    const int fwdOffset = position - prevEnd;
    const int bwdFrom = hasNext ? next->first : (m_count >= 0 ? m_count : INT_MAX);
    const int bwdOffset = bwdFrom == INT_MAX ? INT_MAX : bwdFrom - 1 - position;

    std::vector<Row> rows;
    if (bwdOffset < fwdOffset) {
        // Read backwards from the page after, or from the end.
        QVariantList params = m_filter.params;
        QString cond;
        if (hasNext) {
            cond = keyCondition(false);
            params += next->second.front().key;
        }
        const int limit = std::min(m_pageSize, position - prevEnd + 1);
        const QString sql =
            QStringLiteral("SELECT ") + m_select + QStringLiteral(" FROM ") +
            quoteIdent(m_schema.table) + where(cond) + orderBy(false) +
            QStringLiteral(" LIMIT ?%1 OFFSET ?%2").arg(params.size() + 1).arg(params.size() + 2);
        params << limit << bwdOffset;
        fetch(sql, params, rows);
        if (rows.empty())
            return nullptr;
        std::reverse(rows.begin(), rows.end());
        const int start = position - int(rows.size()) + 1;
        remember(start, std::move(rows), position);
        return &m_pages[start][size_t(position - start)];
    }

    QVariantList params = m_filter.params;
    QString cond;
    if (hasPrev) {
        cond = keyCondition(true);
        params += std::prev(next)->second.back().key;
    }
    // The first page of a set is short: a grid shows a screenful, and a sparse filter
    // would otherwise scan far into the file for rows nobody looks at yet.
    const int pageSize =
        (!hasPrev && !hasNext && position == 0) ? std::min(m_pageSize, kFirstPage) : m_pageSize;
    const int limit = hasNext ? std::min(pageSize, next->first - position) : pageSize;
    QString sql = QStringLiteral("SELECT ") + m_select + QStringLiteral(" FROM ") +
                  quoteIdent(m_schema.table) + where(cond) + orderBy(true) +
                  QStringLiteral(" LIMIT ?%1").arg(params.size() + 1);
    params << limit;
    if (fwdOffset > 0) {
        sql += QStringLiteral(" OFFSET ?%1").arg(params.size() + 1);
        params << fwdOffset;
    }
    fetch(sql, params, rows);
    if (!hasNext && int(rows.size()) < limit && (!rows.empty() || fwdOffset == 0))
        m_count = position + int(rows.size()); // reached the end: the count comes free
    if (rows.empty())
        return nullptr;
    remember(position, std::move(rows), position);
    return &m_pages[position][0];
}

int TableCursor::count()
{
    if (m_count < 0) {
        Stmt& s = prepared(QStringLiteral("SELECT count(*) FROM ") + quoteIdent(m_schema.table) +
                           where(QString()));
        try {
            s.bindAll(m_filter.params);
            m_count = s.step() ? int(s.columnInt(0)) : 0;
        } catch (...) {
            s.reset();
            throw;
        }
        s.reset();
    }
    return m_count;
}

int TableCursor::locate(const Row& row, bool* exact)
{
    int before = 0;
    {
        Stmt& s = prepared(QStringLiteral("SELECT count(*) FROM ") + quoteIdent(m_schema.table) +
                           where(keyCondition(false)));
        QVariantList params = m_filter.params;
        params += row.key;
        try {
            s.bindAll(params);
            before = s.step() ? int(s.columnInt(0)) : 0;
        } catch (...) {
            s.reset();
            throw;
        }
        s.reset();
    }
    if (exact)
        *exact = inSet(row.rowid);
    return before;
}

bool TableCursor::inSet(qint64 rowid)
{
    if (m_filter.where.isEmpty())
        return true;
    Stmt& s = prepared(QStringLiteral("SELECT 1 FROM ") + quoteIdent(m_schema.table) +
                       where(QStringLiteral("rowid = ?%1").arg(m_filter.params.size() + 1)));
    QVariantList params = m_filter.params;
    params << QVariant(rowid);
    bool found = false;
    try {
        s.bindAll(params);
        found = s.step();
    } catch (...) {
        s.reset();
        throw;
    }
    s.reset();
    return found;
}

const Row* TableCursor::rowAfterDelete(int position, const Row& deleted)
{
    m_pages.clear();
    std::vector<Row> rows;
    QVariantList params = m_filter.params;
    params += deleted.key;
    const QString sql = QStringLiteral("SELECT ") + m_select + QStringLiteral(" FROM ") +
                        quoteIdent(m_schema.table) + where(keyCondition(true)) + orderBy(true) +
                        QStringLiteral(" LIMIT %1").arg(m_pageSize);
    fetch(sql, params, rows);
    if (rows.empty())
        return nullptr;
    remember(position, std::move(rows), position);
    return &m_pages[position][0];
}

void TableCursor::noteDeleted()
{
    m_pages.clear();
    if (m_count > 0)
        --m_count;
}

void TableCursor::noteInserted(bool inSet)
{
    m_pages.clear();
    if (m_count >= 0 && inSet)
        ++m_count;
}

} // namespace engine::detail
