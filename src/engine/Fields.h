#pragma once
// Field and index definitions of the table engine.

#include <QFlags>
#include <QList>
#include <QString>

namespace engine {

enum class FieldKind {
    Unknown,
    AutoInc, // auto-increment integer, numbered on post, never reused
    String,  // text of a maximum length (size)
    Integer,
    SmallInt,
    Memo, // text without a length
    Boolean,
    Float,
    BCD,
    Money,
    Date,
    Time,
    DateTime,
};

struct FieldDef
{
    QString name;
    FieldKind kind = FieldKind::String;
    int size = 0; // string length, else 0
    bool required = false;
    bool operator==(const FieldDef&) const = default;
};

enum class IndexOption {
    Primary = 0x01,
    Unique = 0x02,
    Descending = 0x04,
    CaseInsensitive = 0x08,
    Expression = 0x10,
    NonMaintained = 0x20,
};
Q_DECLARE_FLAGS(IndexOptions, IndexOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(IndexOptions)

struct IndexDef
{
    QString name;       // may be empty
    QString fields;     // field names separated by ";"
    QString expression; // empty unless IndexOption::Expression
    IndexOptions options;
    bool operator==(const IndexDef&) const = default;
};

using FieldDefs = QList<FieldDef>;
using IndexDefs = QList<IndexDef>;

} // namespace engine
