#pragma once
// Rows of a query result, read by stepping one statement and kept as they are read.
// The statement holds a read lock only until the result has been read to its end; a
// write of this program to one of the query's files first has the rest read (see
// Readers.h), so a query never blocks its own program.

#include "engine/detail/Readers.h"
#include "engine/detail/RowSource.h"
#include "engine/detail/Sqlite.h"

#include <QSet>
#include <vector>

namespace engine::detail {

class QueryCursor : public RowSource, public HeldReader
{
public:
    QueryCursor(Connection& db, const QString& sql, const QVariantList& params, int columns,
                const QSet<QString>& files);
    ~QueryCursor() override;

    int count() override;
    const Row* row(int position) override;
    int locate(const Row&, bool* exact) override;
    // Keeps only the row last read: a pass straight through the result holds no copy of
    // it and frees nothing at the end. Moving back before that row raises.
    void setForwardOnly(bool on) { m_forwardOnly = on; }
    void invalidate() override {}
    void releaseFile(const QString& canonicalPath) override;

private:
    bool readOne();
    Connection& m_db;
    Stmt m_stmt;
    QString m_sql;
    QVariantList m_params;
    int m_columns;
    QSet<QString> m_files;
    std::vector<Row> m_rows; // rows from position m_first on
    int m_first = 0;
    bool m_forwardOnly = false;
    bool m_done = false;
    int m_count = -1;
};

} // namespace engine::detail
