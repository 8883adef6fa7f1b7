#pragma once
// Rows of a table in key order (primary index) or insertion order (rowid), read in pages
// by keyset: a step to the next or previous row costs one indexed seek per page, never a
// scan from the start. Statements are reset as soon as a page is read, so an open cursor
// holds no lock on the file between calls.

#include "engine/detail/Filter.h"
#include "engine/detail/RowSource.h"
#include "engine/detail/Schema.h"
#include "engine/detail/Sqlite.h"

#include <QHash>
#include <map>
#include <vector>

namespace engine::detail {

class TableCursor : public RowSource
{
public:
    TableCursor(Connection& db, const TableSchema& schema);

    void setFilter(const FilterSql& filter);
    int count() override;
    const Row* row(int position) override;
    int locate(const Row& row, bool* exact) override;
    bool refreshIfChanged() override;
    void invalidate() override;

    // After the own connection deleted the row at `position`: the row that now takes its
    // place (the one after `deleted` in key order), or nullptr when it was the last.
    const Row* rowAfterDelete(int position, const Row& deleted);
    // After the own connection changed the file: cached counts and rows are adjusted.
    void noteDeleted();
    void noteInserted(bool inSet);
    // Whether the row with this rowid passes the filter.
    bool inSet(qint64 rowid);
    // Fills the key of a row from its values (and rowid).
    void fillKey(Row& row) const;
    QString selectList() const { return m_select; }
    Stmt& prepared(const QString& sql);
    void setPageSize(int rows) { m_pageSize = rows < 1 ? 1 : rows; }

private:
    QString where(const QString& extra) const;
    QString keyCondition(bool forward) const; // rows after (forward) or before a key
    QString orderBy(bool forward) const;
    int fetch(const QString& sql, const QVariantList& params, std::vector<Row>& out);
    void remember(int start, std::vector<Row>&& rows, int near);

    Connection& m_db;
    const TableSchema& m_schema;
    FilterSql m_filter;
    QString m_select;
    QStringList m_keyExpr;
    QList<bool> m_keyDesc;
    std::map<QString, Stmt> m_stmts;
    std::map<int, std::vector<Row>> m_pages;
    int m_count = -1;
    qint64 m_dataVersion = -1;
    int m_pageSize = 128;
    static constexpr int kMaxPages = 64;
    static constexpr int kFirstPage = 40;
    static constexpr int kMaxStatements = 48;
};

} // namespace engine::detail
