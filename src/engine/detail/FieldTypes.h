#pragma once
// How field kinds are stored: the declared type text of each column carries the kind and
// size, chosen so that SQLite's affinity keeps values intact; values are converted between
// what a caller gives, what is stored, and what a field reads back.

#include "engine/Fields.h"

#include <QVariant>

namespace engine::detail {

// Declared type text for a kind ("VARCHAR(50)", "LONGINT", "MEMO TEXT", ...).
// An auto-increment field is the rowid alias "INTEGER PRIMARY KEY AUTOINCREMENT".
QString declaredType(const FieldDef& def);
// Kind and size read back from a declared type text; `rowidAlias` tells whether the
// column is the table's INTEGER PRIMARY KEY.
void parseDeclaredType(const QString& type, bool rowidAlias, FieldKind* kind, int* size);

// A caller's value made ready to store for this kind; raises EngineError when it does
// not fit (text that is not a number, a date, ...). Null stays null.
QVariant toStorage(const FieldDef& def, const QVariant& value);
// A stored value read back as the field's kind (QString, qint64, double, bool, QDate,
// QTime, QDateTime); null stays an invalid QVariant.
QVariant fromStorage(FieldKind kind, const QVariant& stored);
// Text of a typed value as bound controls and grids show it; null is "".
QString displayValue(const QVariant& value);
// The same for a stored value of a field of that kind.
QString displayText(FieldKind kind, const QVariant& stored);
int displayWidth(const FieldDef& def);
bool isTextKind(FieldKind kind);

// Date literal "month/day/year" of the query dialect -> stored date text, or empty.
QString dialectDate(const QString& text);

} // namespace engine::detail
