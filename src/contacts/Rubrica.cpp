#include "contacts/Rubrica.h"

using engine::FieldDef;
using engine::FieldKind;

void DichiaraCampiRubrica(engine::Table& table)
{
    table.fieldDefs << FieldDef{QStringLiteral("NumID"), FieldKind::AutoInc, 0, true}
                    << FieldDef{QStringLiteral("Cognome"), FieldKind::String, 50, false}
                    << FieldDef{QStringLiteral("Nome"), FieldKind::String, 50, false}
                    << FieldDef{QStringLiteral("Numero"), FieldKind::String, 20, false}
                    << FieldDef{QStringLiteral("Mail"), FieldKind::String, 40, false};
}
