#pragma once
// The translation table with one language besides Italian, and the settings naming the
// language in use.

#include <QList>
#include <QStringList>
#include <QVariant>

namespace testing_support {

// lingua.db with the columns ITALIANO and Inglese (each row: Italian, English), and
// impostazioni.db whose LINGUA is the given value.
void creaTraduzioni(const QVariant& lingua, const QList<QStringList>& righe);

} // namespace testing_support
