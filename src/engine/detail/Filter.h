#pragma once
// Record filters of a table: terms "Field = 'value'" joined by "and". A value of two or
// more characters ending in "*" matches as a case-sensitive prefix; every other value
// matches exactly, case included. Values always reach SQLite as bound parameters.

#include "engine/detail/Schema.h"

#include <QList>
#include <QVariant>

namespace engine::detail {

struct FilterTerm
{
    QString field;
    QString op = QStringLiteral("=");
    QVariant value; // QString or number
    bool prefix = false;
};

struct FilterSql
{
    QString where; // empty: every record passes
    QVariantList params;
};

// Reads a filter text; raises EngineError (help::FilterSyntax) on malformed text.
QList<FilterTerm> parseFilter(const QString& text);
// Terms from literal values (a value ending in "*" of two or more characters is a prefix).
QList<FilterTerm> filterFromValues(const QList<QPair<QString, QString>>& values);
// The text form of terms, values quoted so that parseFilter reads them back unchanged.
QString filterText(const QList<FilterTerm>& terms);
// SQL over the schema's columns; raises EngineError for an unknown field.
FilterSql filterSql(const QList<FilterTerm>& terms, const TableSchema& schema);
// The smallest text above every text that begins with `prefix`; empty when none.
QString prefixUpperBound(const QString& prefix);
// GLOB pattern matching every text that begins with `prefix`.
QString globPrefix(const QString& prefix);

} // namespace engine::detail
