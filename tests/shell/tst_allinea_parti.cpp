// The pieces of the table alignment that work without a table: the temporary name, the
// structure comparison, the error log writer and its code page.

#include "TestEnv.h"
#include "shell/Allinea.h"

#include <QtTest>

using engine::FieldDef;
using engine::FieldDefs;
using engine::FieldKind;
using engine::IndexDef;
using engine::IndexDefs;
using engine::IndexOption;
using engine::IndexOptions;

Q_DECLARE_METATYPE(engine::FieldDefs)
Q_DECLARE_METATYPE(engine::IndexDefs)

namespace {

FieldDefs contatti()
{
    return {{"NumID", FieldKind::AutoInc, 0, true},
            {"Cognome", FieldKind::String, 50, false},
            {"Nome", FieldKind::String, 50, false},
            {"Note", FieldKind::Memo, 0, false}};
}

IndexDefs primario(IndexOptions options)
{
    return {IndexDef{QString(), "PROGR", QString(), options}};
}

} // namespace

class TstAllineaParti : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void nomeAppoggio_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("temporary");
        QTest::newRow("contacts") << "Rubry.Db"
                                  << "Rubry.DbAPPOGGIO.Db";
        QTest::newRow("templates") << "tabexport.db"
                                   << "tabexport.dbAPPOGGIO.db";
        QTest::newRow("two dots") << "a.b.DB"
                                  << "a.b.DBAPPOGGIO.DB";
        QTest::newRow("no extension") << "Rubry"
                                      << "RubryAPPOGGIO";
    }
    void nomeAppoggio()
    {
        QFETCH(QString, name);
        QFETCH(QString, temporary);
        QCOMPARE(NomeTabellaAppoggio(name), temporary);
    }

    void struttura_data()
    {
        QTest::addColumn<FieldDefs>("declaredFields");
        QTest::addColumn<IndexDefs>("declaredIndexes");
        QTest::addColumn<FieldDefs>("storedFields");
        QTest::addColumn<IndexDefs>("storedIndexes");
        QTest::addColumn<bool>("agree");

        const FieldDefs declared = contatti();
        const IndexDefs none;
        QTest::newRow("same") << declared << none << declared << none << true;

        FieldDefs extra = declared;
        extra << FieldDef{"Citta", FieldKind::String, 30, false};
        QTest::newRow("extra stored field") << declared << none << extra << none << true;

        FieldDefs otherCase = declared;
        otherCase[2].name = "NOME";
        otherCase[1].required = true;
        QTest::newRow("name case, required flag") << declared << none << otherCase << none << true;

        FieldDefs memo = declared;
        memo[3].size = 240;
        QTest::newRow("memo size") << declared << none << memo << none << true;

        FieldDefs reordered = {declared[3], declared[2], declared[1], declared[0]};
        QTest::newRow("other order") << declared << none << reordered << none << true;

        FieldDefs longer = declared;
        longer[1].size = 40;
        QTest::newRow("string size") << declared << none << longer << none << false;

        FieldDefs missing = declared;
        missing.removeAt(2);
        QTest::newRow("field missing") << declared << none << missing << none << false;

        FieldDefs kind = declared;
        kind[0].kind = FieldKind::Integer;
        QTest::newRow("other kind") << declared << none << kind << none << false;

        const FieldDefs progr = {{"PROGR", FieldKind::Integer, 0, true}};
        const IndexDefs declaredPrimary = primario(IndexOption::Primary);
        QTest::newRow("primary read back as primary+unique")
            << progr << declaredPrimary << progr
            << primario(IndexOptions(IndexOption::Primary) | IndexOption::Unique) << true;
        QTest::newRow("primary read back as primary")
            << progr << declaredPrimary << progr << declaredPrimary << true;
        QTest::newRow("unique only")
            << progr << declaredPrimary << progr << primario(IndexOption::Unique) << false;
        QTest::newRow("primary+descending")
            << progr << declaredPrimary << progr
            << primario(IndexOptions(IndexOption::Primary) | IndexOption::Descending) << false;
        QTest::newRow("index missing") << progr << declaredPrimary << progr << none << false;
        QTest::newRow("index not declared") << progr << none << progr << declaredPrimary << false;

        IndexDefs named = declaredPrimary;
        named[0].name = "ixProgr";
        QTest::newRow("index name") << progr << declaredPrimary << progr << named << false;
        IndexDefs fieldCase = declaredPrimary;
        fieldCase[0].fields = "progr";
        QTest::newRow("index field text case")
            << progr << declaredPrimary << progr << fieldCase << false;

        const FieldDefs two = {{"A", FieldKind::Integer, 0, false},
                               {"B", FieldKind::String, 10, false}};
        const IndexDefs ab = {IndexDef{"ixA", "A", QString(), IndexOption::Unique},
                              IndexDef{"ixB", "B", QString(), IndexOption::CaseInsensitive}};
        const IndexDefs ba = {ab[1], ab[0]};
        QTest::newRow("indexes in another order") << two << ab << two << ba << true;
        const IndexDefs aa = {ab[0], ab[0]};
        QTest::newRow("same count, one missing") << two << ab << two << aa << false;
    }
    void struttura()
    {
        QFETCH(FieldDefs, declaredFields);
        QFETCH(IndexDefs, declaredIndexes);
        QFETCH(FieldDefs, storedFields);
        QFETCH(IndexDefs, storedIndexes);
        QFETCH(bool, agree);
        QCOMPARE(StrutturaConcorde(declaredFields, declaredIndexes, storedFields, storedIndexes),
                 agree);
    }

    void windows1252_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ascii") << "Nome: 'Rossi'" << QByteArray("Nome: 'Rossi'");
        QTest::newRow("accent") << QStringLiteral("Niccolò")
                                << QByteArray("Nicco"
                                              "l\xf2");
        QTest::newRow("euro and quotes")
            << QStringLiteral("€ “x” …") << QByteArray("\x80 \x93x\x94 \x85");
        QTest::newRow("outside the code page") << QStringLiteral("Łódź")
                                               << QByteArray("?\xf3"
                                                             "d?");
        QTest::newRow("outside the plane") << QStringLiteral("a\U0001F600b") << QByteArray("a?b");
    }
    void windows1252()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(InWindows1252(text), bytes);
    }

    void logErrori_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        const QByteArray block = "\r\nprima riga \xe8\r\n";
        QTest::newRow("no log") << false << QByteArray() << block;
        QTest::newRow("empty log") << true << QByteArray() << block;
        QTest::newRow("ends with CR LF")
            << true << QByteArray("vecchio\r\n") << "vecchio\r\n" + block;
        QTest::newRow("last line open") << true << QByteArray("vecchio") << "vecchio\r\n" + block;
        QTest::newRow("LF and CR lines kept as lines")
            << true << QByteArray("uno\ndue\rtre\r\n") << "uno\r\ndue\r\ntre\r\n" + block;
        QTest::newRow("old bytes kept as they are")
            << true << QByteArray("citt\xe0\r\n") << "citt\xe0\r\n" + block;
    }
    void logErrori()
    {
        QFETCH(bool, exists);
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        testing_support::TestEnv env;
        if (exists)
            env.writeFile("dberrori.log", before);
        AggiungiAlLogErrori({QString(), QStringLiteral("prima riga è")});
        QCOMPARE(env.readFile("dberrori.log"), after);
    }

    void logErroriGrows()
    {
        testing_support::TestEnv env;
        AggiungiAlLogErrori({QString(), "uno"});
        AggiungiAlLogErrori({QString(), "due"});
        QCOMPARE(env.readFile("dberrori.log"), QByteArray("\r\nuno\r\n\r\ndue\r\n"));
    }
};

QTEST_GUILESS_MAIN(TstAllineaParti)
#include "tst_allinea_parti.moc"
