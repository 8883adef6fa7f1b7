#pragma once
// The query dialect: one SELECT over table files named as files ("rubry.db", "Rubry",
// "tabexport.db"), fields as Table.Db."Field", texts in single quotes and dates in double
// quotes as month/day/year. The translator turns it into SQLite SQL over attached files:
// every table file becomes an attached schema, every text and date literal a bound
// parameter. Anything that is not a single SELECT is refused.

#include <QString>
#include <QVariant>
#include <functional>

namespace engine::detail {

struct AttachedTable
{
    QString schema; // "t0", "t1", ...
    QString table;  // the records table inside the file
};

struct TranslatedQuery
{
    QString sql;
    int userParams = 0;    // placeholders written by the caller, bound first (1..n)
    QVariantList literals; // bound after them (n+1..)
    // Set when the text reads one table with no ordering, grouping, limit or compound
    // part: the caller may append " ORDER BY" its key so a keyed table comes in key order.
    QString soleSchema;
};

// `attach` is called once per distinct table file name met in a FROM clause; it finds
// the file (raising when missing) and returns where it is attached. Equal names (any
// case, with or without ".db") are attached once.
using AttachFn = std::function<AttachedTable(const QString& fileName)>;

// Raises EngineError: help::QueryRefused for anything but a single SELECT,
// help::QuerySyntax for text that cannot be read.
TranslatedQuery translateQuery(const QString& text, const AttachFn& attach);

// Column name of a result column: an aggregate written without a name, "max(progr)",
// reads back as "max of progr".
QString resultColumnName(const QString& sqliteName);

} // namespace engine::detail
