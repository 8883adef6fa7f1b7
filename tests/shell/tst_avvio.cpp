// The table preparation of the main window's creation: the template table first, then
// the contacts table.

#include "TestEnv.h"
#include "contacts/Rubrica.h"
#include "export/CreaTabelleGenerali.h"
#include "shell/Avvio.h"

#include <QApplication>
#include <QCursor>
#include <QtTest>

namespace {

const QString kErroreRubrica =
    QStringLiteral("Fallito tentativo di creazione dell'archivio principale!");

QStringList forma(const engine::FieldDefs& fields)
{
    QStringList out;
    for (const engine::FieldDef& f : fields)
        out << QStringLiteral("%1/%2/%3").arg(f.name).arg(int(f.kind)).arg(f.size);
    return out;
}

QStringList formaStored(const QString& name)
{
    engine::Table t(name);
    t.open();
    const QStringList out = forma(t.storedFields());
    t.close();
    return out;
}

} // namespace

class TstAvvio : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void bothTablesCreated()
    {
        testing_support::TestEnv env;
        PreparaTabelle();
        engine::Table modelli, rubrica;
        DichiaraCampiModelli(modelli);
        DichiaraCampiRubrica(rubrica);
        QCOMPARE(formaStored("tabexport.db"), forma(modelli.fieldDefs));
        QCOMPARE(formaStored("Rubry.Db"), forma(rubrica.fieldDefs));
        QVERIFY(env.desktop.boxes.isEmpty());
        QVERIFY(!QApplication::overrideCursor());

        // A second start finds both in order and changes nothing.
        const QByteArray before = env.readFile("tabexport.db") + env.readFile("Rubry.Db");
        PreparaTabelle();
        QCOMPARE(env.readFile("tabexport.db") + env.readFile("Rubry.Db"), before);
    }

    void declarations()
    {
        engine::Table rubrica;
        DichiaraCampiRubrica(rubrica);
        QCOMPARE(forma(rubrica.fieldDefs),
                 (QStringList{QStringLiteral("NumID/%1/0").arg(int(engine::FieldKind::AutoInc)),
                              QStringLiteral("Cognome/%1/50").arg(int(engine::FieldKind::String)),
                              QStringLiteral("Nome/%1/50").arg(int(engine::FieldKind::String)),
                              QStringLiteral("Numero/%1/20").arg(int(engine::FieldKind::String)),
                              QStringLiteral("Mail/%1/40").arg(int(engine::FieldKind::String))}));
        QVERIFY(rubrica.fieldDefs[0].required);
        QVERIFY(rubrica.indexDefs.isEmpty());

        engine::Table modelli;
        DichiaraCampiModelli(modelli);
        QStringList names;
        for (const engine::FieldDef& f : modelli.fieldDefs)
            names << f.name;
        QCOMPARE(names, (QStringList{"PROGR", "NOME", "DESCR", "CAMPI", "TABELLE", "CONDIZIONE",
                                     "ORDINAMENTO", "NOMEFILE", "NOMEFOGLIOEXCEL", "txtOxls",
                                     "FORMATTAZIONE", "CHIEDIDATA", "CAMPODATA", "FISSO"}));
        QVERIFY(modelli.fieldDefs[0].required);
        QCOMPARE(modelli.indexDefs.size(), 1);
        QCOMPARE(modelli.indexDefs[0].fields, QStringLiteral("PROGR"));
        QCOMPARE(modelli.indexDefs[0].name, QString());
        QCOMPARE(modelli.indexDefs[0].options, engine::IndexOptions(engine::IndexOption::Primary));
    }

    // The template table's failure ends the preparation: it reaches the caller, and the
    // contacts table is not prepared in that run.
    void templateFailurePropagates()
    {
        testing_support::TestEnv env;
        env.writeFile("tabexport.db", "non una tabella");
        QVERIFY_THROWS_EXCEPTION(zr::Error, PreparaTabelle());
        QVERIFY(!QFile::exists(env.file("Rubry.Db")));
        QVERIFY(env.desktop.boxes.isEmpty());
        QVERIFY(!QApplication::overrideCursor());
    }

    void contactsFailureIsReported()
    {
        testing_support::TestEnv env;
        env.writeFile("Rubry.Db", "non una tabella");
        PreparaTabelle();
        QCOMPARE(env.desktop.texts(), QStringList{kErroreRubrica});
        QCOMPARE(env.desktop.boxes[0].caption, QStringLiteral("Errore"));
        QVERIFY(QFile::exists(env.file("tabexport.db")));
        QCOMPARE(env.readFile("Rubry.Db"), QByteArray("non una tabella"));
    }

    // The hourglass shows while the template table is aligned (seen from a warning box
    // raised during its rebuild) and is gone afterwards.
    void hourglassDuringTemplateAlignment()
    {
        testing_support::TestEnv env;
        {
            // An older template table holding a record the new one refuses (no PROGR).
            engine::Table old("tabexport.db");
            old.fieldDefs = {{"PROGR", engine::FieldKind::Integer, 0, false},
                             {"DESCR", engine::FieldKind::String, 40, false}};
            old.createTable();
            old.open();
            old.insertRecord({QVariant(), "senza numero"});
            old.close();
        }
        QList<Qt::CursorShape> shapes;
        env.desktop.onMessage =
            [&](const platform::MessageBox&) -> std::optional<platform::Answer> {
            const QCursor* c = QApplication::overrideCursor();
            shapes << (c ? c->shape() : Qt::ArrowCursor);
            return std::nullopt;
        };
        CreaTabellaModelli();
        QCOMPARE(shapes, (QList<Qt::CursorShape>{Qt::WaitCursor, Qt::WaitCursor}));
        QVERIFY(!QApplication::overrideCursor());
    }
};

QTEST_MAIN(TstAvvio)
#include "tst_avvio.moc"
