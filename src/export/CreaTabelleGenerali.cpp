#include "export/CreaTabelleGenerali.h"

#include "shell/Allinea.h"

#include <QApplication>
#include <QCursor>

using engine::FieldDef;
using engine::FieldKind;

namespace {

// The hourglass while the table is prepared, put back however the preparation ends.
class Clessidra
{
public:
    Clessidra() : m_on(qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr)
    {
        if (m_on)
            QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    ~Clessidra()
    {
        if (m_on)
            QApplication::restoreOverrideCursor();
    }
    Clessidra(const Clessidra&) = delete;
    Clessidra& operator=(const Clessidra&) = delete;

private:
    bool m_on;
};

} // namespace

void DichiaraCampiModelli(engine::Table& table)
{
    table.fieldDefs = {
        FieldDef{QStringLiteral("PROGR"), FieldKind::Integer, 0, true},
        FieldDef{QStringLiteral("NOME"), FieldKind::String, 20, false},
        FieldDef{QStringLiteral("DESCR"), FieldKind::String, 40, false},
        FieldDef{QStringLiteral("CAMPI"), FieldKind::Memo, 0, false},
        FieldDef{QStringLiteral("TABELLE"), FieldKind::Memo, 0, false},
        FieldDef{QStringLiteral("CONDIZIONE"), FieldKind::Memo, 0, false},
        FieldDef{QStringLiteral("ORDINAMENTO"), FieldKind::String, 30, false},
        FieldDef{QStringLiteral("NOMEFILE"), FieldKind::Memo, 0, false},
        FieldDef{QStringLiteral("NOMEFOGLIOEXCEL"), FieldKind::Memo, 0, false},
        FieldDef{QStringLiteral("txtOxls"), FieldKind::Integer, 0, false},
        FieldDef{QStringLiteral("FORMATTAZIONE"), FieldKind::Memo, 0, false},
        FieldDef{QStringLiteral("CHIEDIDATA"), FieldKind::Boolean, 0, false},
        FieldDef{QStringLiteral("CAMPODATA"), FieldKind::String, 20, false},
        FieldDef{QStringLiteral("FISSO"), FieldKind::Boolean, 0, false},
    };
    table.indexDefs = {engine::IndexDef{QString(), QStringLiteral("PROGR"), QString(),
                                        engine::IndexOption::Primary}};
}

void CreaTabellaModelli()
{
    Clessidra clessidra;
    engine::Table modelli(QString::fromLatin1(kTabellaModelli));
    modelli.close();
    DichiaraCampiModelli(modelli);
    AllineaTabella(modelli);
}
