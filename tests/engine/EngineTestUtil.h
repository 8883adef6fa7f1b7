#pragma once
// Small fixtures shared by the engine tests.

#include "TestEnv.h"
#include "engine/DataSet.h"

#include <QString>

namespace enginetest {

// The contacts table: NumID auto-increment, four strings, no index.
inline engine::FieldDefs contactFields()
{
    using engine::FieldKind;
    return {{QStringLiteral("NumID"), FieldKind::AutoInc, 0, true},
            {QStringLiteral("Cognome"), FieldKind::String, 50, false},
            {QStringLiteral("Nome"), FieldKind::String, 50, false},
            {QStringLiteral("Numero"), FieldKind::String, 20, false},
            {QStringLiteral("Mail"), FieldKind::String, 40, false}};
}

inline void createContacts(const QString& name = QStringLiteral("Rubry.Db"),
                           const QString& folder = QString())
{
    engine::Table t(name);
    t.setDatabaseName(folder);
    t.fieldDefs = contactFields();
    t.createTable();
}

// A fresh application folder holding the contacts table, open and empty.
struct OpenContacts
{
    testing_support::TestEnv env;
    engine::Table table; // made once the folder is in place

    OpenContacts() : table((createContacts(), QStringLiteral("Rubry.Db"))) { table.open(); }
};

// Adds contacts (cognome, nome) in one go.
inline void addContacts(engine::Table& t, const QList<QPair<QString, QString>>& people)
{
    for (const auto& p : people)
        t.insertRecord({QVariant(), p.first, p.second, QStringLiteral("06"),
                        p.second.toLower() + u'@' + u'x'});
}

inline QStringList column(engine::DataSet& ds, const QString& field)
{
    QStringList out;
    ds.first();
    while (!ds.eof()) {
        out << ds.fieldByName(field).asString();
        ds.next();
    }
    return out;
}

} // namespace enginetest
