#pragma once
// The structure of a table file: one SQLite table holding the records, its columns
// carrying field kinds in their declared types, the primary index as the table's primary
// key and every other index as a named SQLite index.
//
// Index names in the file: "ix<n>[flags]:<declared name>", n keeping the declared order;
// the primary key's name is kept as the constraint name "pk:<declared name>". Helper
// indexes that callers keep for their own lookups are named "zrhelper:<field>" and are
// never reported among the table's index definitions.

#include "engine/Fields.h"
#include "engine/detail/Sqlite.h"

#include <QStringList>

namespace engine::detail {

inline const QString kRecordsTable = QStringLiteral("records");
inline const QString kHelperPrefix = QStringLiteral("zrhelper:");

struct TableSchema
{
    QString table; // name of the SQLite table inside the file
    FieldDefs fields;
    IndexDefs indexes;
    int autoIncColumn = -1; // the rowid alias, if any
    QList<int> keyColumns;  // columns of the primary index, in key order
    QList<bool> keyDescending;
    QList<bool> keyNoCase;
    int columnIndex(const QString& name) const; // regardless of case; -1 when missing
};

// Writes the table from the definitions into a new, empty database. Raises on
// definitions that cannot be made (no fields, duplicate names, unknown index fields...).
void createSchema(Connection& db, const FieldDefs& fields, const IndexDefs& indexes);
// Reads the structure back.
TableSchema readSchema(Connection& db, const QString& schemaName = QStringLiteral("main"));
// Name of the records table of an attached or main database.
QString recordsTableName(Connection& db, const QString& schemaName);
// The helper index over one field, created when missing.
void ensureHelperIndex(Connection& db, const TableSchema& schema, const QString& field);

} // namespace engine::detail
