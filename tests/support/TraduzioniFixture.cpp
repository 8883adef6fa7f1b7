#include "TraduzioniFixture.h"

#include "engine/DataSet.h"

namespace testing_support {

void creaTraduzioni(const QVariant& lingua, const QList<QStringList>& righe)
{
    engine::Table t(QStringLiteral("lingua.db"));
    t.fieldDefs << engine::FieldDef{QStringLiteral("ITALIANO"), engine::FieldKind::String, 120,
                                    false}
                << engine::FieldDef{QStringLiteral("Inglese"), engine::FieldKind::String, 120,
                                    false};
    t.createTable();
    t.open();
    for (const QStringList& riga : righe)
        t.insertRecord({riga[0], riga[1]});
    t.close();
    engine::Table settings(QStringLiteral("impostazioni.db"));
    settings.fieldDefs << engine::FieldDef{QStringLiteral("LINGUA"), engine::FieldKind::String, 40,
                                           false};
    settings.createTable();
    settings.open();
    settings.insertRecord({lingua});
    settings.close();
}

} // namespace testing_support
