// Queries in the engine's dialect: forms, table names, literals, refusal of anything
// that is not one read-only SELECT.

#include "EngineTestUtil.h"
#include "TestEnv.h"
#include "engine/DataSet.h"
#include "engine/ErrorCodes.h"
#include "engine/detail/Dialect.h"

#include <QDate>
#include <QFile>
#include <QTest>

using namespace engine;
using namespace enginetest;

class TstQuery : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void forms_data();
    void forms();
    void maxReadsBackAsMaxOf();
    void maxOfEmptyTable();
    void datesInDoubleQuotes_data();
    void datesInDoubleQuotes();
    void twoTables();
    void fieldKindsFromTables();
    void refused_data();
    void refused();
    void errors_data();
    void errors();
    void navigationAndCount();
    void paramsAreBound();
    void openQueryDoesNotBlockWrites();
    void forwardOnlyPass();
    void forwardOnlyRefusesMovingBack_data();
    void forwardOnlyRefusesMovingBack();
    void forwardOnlyKeepsTheRestOnAWrite();
    void columnNames_data();
    void columnNames();

private:
    void makeTemplates();
    QStringList rows(const QString& sql, const QString& field);
    std::unique_ptr<testing_support::TestEnv> env;
};

void TstQuery::init()
{
    env = std::make_unique<testing_support::TestEnv>();
    createContacts();
    Table t(QStringLiteral("Rubry.Db"));
    t.open();
    t.startTransaction();
    addContacts(
        t, {{"Rossi", "Mario"}, {"Bianchi", "Anna"}, {"Verdi", "Carlo"}, {"D'Amico", "Bruno"}});
    t.commit();
    makeTemplates();
}

void TstQuery::cleanup()
{
    env.reset();
}

void TstQuery::makeTemplates()
{
    Table t(QStringLiteral("tabexport.db"));
    t.fieldDefs = {{"PROGR", FieldKind::Integer, 0, true},
                   {"DESCR", FieldKind::String, 40, false},
                   {"DATA", FieldKind::Date, 0, false},
                   {"FISSO", FieldKind::Boolean, 0, false}};
    t.indexDefs = {{"", "PROGR", "", IndexOption::Primary}};
    t.createTable();
    t.open();
    t.startTransaction();
    t.insertRecord({3, "tre", QDate(2005, 2, 1), true});
    t.insertRecord({1, "uno", QDate(2004, 3, 5), false});
    t.insertRecord({2, "due", QDate(2001, 12, 31), false});
    t.commit();
}

QStringList TstQuery::rows(const QString& sql, const QString& field)
{
    Query q;
    q.setSql(sql);
    q.open();
    return column(q, field);
}

void TstQuery::forms_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QStringList>("values");
    QTest::newRow("select star") << "select * from rubry"
                                 << "Cognome"
                                 << QStringList{"Rossi", "Bianchi", "Verdi", "D'Amico"};
    QTest::newRow("with .db any case")
        << "select * from RUBRY.DB"
        << "cognome" << QStringList{"Rossi", "Bianchi", "Verdi", "D'Amico"};
    QTest::newRow("quoted file name") << "select * from \"Rubry.Db\""
                                      << "Nome" << QStringList{"Mario", "Anna", "Carlo", "Bruno"};
    QTest::newRow("order by") << "select * from rubry.db order by nome"
                              << "Nome" << QStringList{"Anna", "Bruno", "Carlo", "Mario"};
    QTest::newRow("order by numid") << "select * from rubry.db order by numid"
                                    << "NumID" << QStringList{"1", "2", "3", "4"};
    QTest::newRow("order by two fields desc")
        << "select * from rubry.db order by numero, cognome desc"
        << "Cognome" << QStringList{"Verdi", "Rossi", "D'Amico", "Bianchi"};
    QTest::newRow("where text") << "select * from rubry where MAIL ='anna@x'"
                                << "Cognome" << QStringList{"Bianchi"};
    QTest::newRow("where quote in text") << "select * from rubry where Cognome = 'D''Amico'"
                                         << "Nome" << QStringList{"Bruno"};
    QTest::newRow("where no match") << "select * from rubry where MAIL ='nobody'"
                                    << "Cognome" << QStringList{};
    QTest::newRow("field list") << "select Nome, Cognome from rubry where NumID >= 2 and NumID <= 3"
                                << "Nome" << QStringList{"Anna", "Carlo"};
    QTest::newRow("qualified fields") << "SELECT Rubry.Db.\"Nome\", Rubry.Db.\"Mail\" FROM "
                                         "Rubry.Db WHERE Rubry.Db.\"Cognome\" = 'Verdi' "
                                      << "Mail" << QStringList{"carlo@x"};
    QTest::newRow("qualified without extension")
        << "select rubry.Nome from rubry where rubry.NumID = 1"
        << "Nome" << QStringList{"Mario"};
    QTest::newRow("alias") << "select r.Nome from rubry.db r where r.NumID = 2"
                           << "Nome" << QStringList{"Anna"};
    QTest::newRow("line breaks")
        << "SELECT *\r\n FROM tabexport.db\r\n  WHERE PROGR >= 2\r\n ORDER BY PROGR\r\n"
        << "DESCR" << QStringList{"due", "tre"};
    QTest::newRow("keyed table in key order") << "select * from tabexport"
                                              << "DESCR" << QStringList{"uno", "due", "tre"};
    QTest::newRow("keyed table with where") << "select DESCR from tabexport where PROGR >= 2"
                                            << "DESCR" << QStringList{"due", "tre"};
    QTest::newRow("trailing semicolon") << "select * from tabexport;"
                                        << "PROGR" << QStringList{"1", "2", "3"};
    QTest::newRow("subquery")
        << "select * from rubry where NumID = (select max(PROGR) from tabexport)"
        << "Cognome" << QStringList{"Verdi"};
}

void TstQuery::forms()
{
    QFETCH(QString, sql);
    QFETCH(QString, field);
    QFETCH(QStringList, values);
    QCOMPARE(rows(sql, field), values);
}

void TstQuery::maxReadsBackAsMaxOf()
{
    Query q;
    q.setSql("select max(progr) from tabexport");
    q.open();
    QCOMPARE(q.fieldNames(), QStringList{"max of progr"});
    QCOMPARE(q.fieldByName("max of progr").asInteger(), 3);
    QCOMPARE(q.fieldByName("MAX OF PROGR").kind(), FieldKind::Integer);
}

void TstQuery::maxOfEmptyTable()
{
    Table t(QStringLiteral("tabexport.db"));
    t.emptyTable();
    Query q;
    q.setSql("select max(progr) from tabexport");
    q.open();
    QCOMPARE(q.recordCount(), 1);
    QVERIFY(q.fieldByName("max of progr").isNull());
    QCOMPARE(q.fieldByName("max of progr").asInteger(), 0);
}

void TstQuery::datesInDoubleQuotes_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<QStringList>("descr");
    QTest::newRow("period") << "DATA >= \"01/01/2002\" AND DATA <= \"12/31/9999\""
                            << QStringList{"uno", "tre"};
    QTest::newRow("month first") << "DATA = \"03/05/2004\"" << QStringList{"uno"};
    QTest::newRow("short year") << "DATA >= \"01/01/1000\"" << QStringList{"uno", "due", "tre"};
    QTest::newRow("single digits") << "DATA <= \"2/1/2005\"" << QStringList{"uno", "due", "tre"};
    QTest::newRow("before") << "DATA < \"12/31/2001\"" << QStringList{};
    QTest::newRow("qualified") << "tabexport.db.\"DATA\" >= \"02/01/2005\"" << QStringList{"tre"};
}

void TstQuery::datesInDoubleQuotes()
{
    QFETCH(QString, where);
    QFETCH(QStringList, descr);
    QCOMPARE(rows("select * from tabexport.db where " + where + " order by PROGR", "DESCR"), descr);
}

void TstQuery::twoTables()
{
    const QStringList got =
        rows("SELECT Rubry.Db.\"Cognome\", tabexport.db.\"DESCR\" FROM Rubry.Db, tabexport.db "
             "WHERE Rubry.Db.\"NumID\" = tabexport.db.\"PROGR\" ORDER BY tabexport.db.\"DESCR\"",
             "Cognome");
    QCOMPARE(got, (QStringList{"Bianchi", "Verdi", "Rossi"}));
    // The same file named twice in different spellings is attached once.
    QCOMPARE(rows("select a.Nome from rubry a, RUBRY.DB b where a.NumID = b.NumID and b.NumID = 4",
                  "Nome"),
             QStringList{"Bruno"});
}

void TstQuery::fieldKindsFromTables()
{
    Query q;
    q.setSql("select * from tabexport, rubry where PROGR = NumID order by PROGR");
    q.open();
    QCOMPARE(q.fieldByName("PROGR").kind(), FieldKind::Integer);
    QCOMPARE(q.fieldByName("DESCR").kind(), FieldKind::String);
    QCOMPARE(q.fieldByName("DESCR").size(), 40);
    QCOMPARE(q.fieldByName("DATA").kind(), FieldKind::Date);
    QCOMPARE(q.fieldByName("FISSO").kind(), FieldKind::Boolean);
    QCOMPARE(q.fieldByName("NumID").kind(), FieldKind::AutoInc);
    q.setRecNo(3);
    QCOMPARE(q.fieldByName("DATA").value().toDate(), QDate(2005, 2, 1));
    QCOMPARE(q.fieldByName("FISSO").asBoolean(), true);
    // Read only.
    QVERIFY_THROWS_EXCEPTION(zr::EngineError, q.edit());
    QVERIFY_THROWS_EXCEPTION(zr::EngineError, q.append());
    QVERIFY_THROWS_EXCEPTION(zr::EngineError, q.deleteRecord());
}

void TstQuery::refused_data()
{
    QTest::addColumn<QString>("sql");
    QTest::newRow("empty") << "";
    QTest::newRow("second statement") << "select * from rubry; delete from rubry";
    QTest::newRow("second select") << "select * from rubry; select * from tabexport";
    QTest::newRow("delete") << "delete from rubry";
    QTest::newRow("update") << "update rubry set Nome = 'x'";
    QTest::newRow("insert") << "insert into rubry (Nome) values ('x')";
    QTest::newRow("drop") << "drop table rubry";
    QTest::newRow("pragma") << "pragma journal_mode=wal";
    QTest::newRow("attach") << "attach database '/tmp/x.db' as x";
    QTest::newRow("vacuum into") << "vacuum into '/tmp/x.db'";
    QTest::newRow("with cte") << "with x as (select 1) select * from x";
    QTest::newRow("comment hides second") << "select * from rubry /* c */ ; drop table x";
    QTest::newRow("load extension") << "select load_extension('x') from rubry";
}

void TstQuery::refused()
{
    QFETCH(QString, sql);
    Query q;
    q.setSql(sql);
    try {
        q.open();
        QFAIL("not refused");
    } catch (const zr::EngineError& e) {
        QCOMPARE(e.helpContext(), help::QueryRefused);
    }
    QVERIFY(!q.active());
    // Nothing was changed.
    Table t(QStringLiteral("rubry"));
    t.open();
    QCOMPARE(t.recordCount(), 4);
    QCOMPARE(t.fieldByName("Nome").asString(), QString("Mario"));
}

void TstQuery::errors_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("context");
    QTest::newRow("missing table") << "select * from nothere" << help::TableNotFound;
    QTest::newRow("missing field") << "select Nomi from rubry" << help::QuerySyntax;
    QTest::newRow("missing quoted field") << "select \"Nomi\" from rubry" << help::QuerySyntax;
    QTest::newRow("syntax") << "select * from rubry where" << help::QuerySyntax;
    QTest::newRow("no table") << "select * from" << help::QuerySyntax;
    QTest::newRow("unterminated text")
        << "select * from rubry where Nome = 'x" << help::QuerySyntax;
    QTest::newRow("bad date") << "select * from tabexport where DATA >= \"13/45/2005\""
                              << help::QuerySyntax;
    QTest::newRow("path as table") << "select * from \"../rubry.db\"" << help::QuerySyntax;
    QTest::newRow("order by Order by")
        << "SELECT * FROM rubry ORDER BY Order by Nome" << help::QuerySyntax;
}

void TstQuery::errors()
{
    QFETCH(QString, sql);
    QFETCH(int, context);
    Query q;
    q.setSql(sql);
    try {
        q.open();
        QFAIL("no error");
    } catch (const zr::EngineError& e) {
        QCOMPARE(e.helpContext(), context);
        QVERIFY(!e.message().isEmpty());
    }
    QVERIFY(!q.active());
}

void TstQuery::navigationAndCount()
{
    Query q;
    q.setSql("select * from rubry.db order by nome");
    q.open();
    QCOMPARE(q.recordCount(), 4);
    QCOMPARE(q.recNo(), 1);
    q.last();
    QCOMPARE(q.recNo(), 4);
    QCOMPARE(q.fieldByName("NOME").asString(), QString("Mario"));
    q.prior();
    QCOMPARE(q.fieldByName("NOME").asString(), QString("Carlo"));
    q.next();
    q.next();
    QVERIFY(q.eof());
    QCOMPARE(q.recNo(), 4);
    q.setRecNo(2);
    QCOMPARE(q.fieldByName("NOME").asString(), QString("Bruno"));
    QCOMPARE(q.valueAt(0, 2).toString(), QString("Anna"));
    q.close();
    QVERIFY(!q.active());
    // Reopen with another text.
    q.setSql("select * from rubry where Nome = 'nobody'");
    q.open();
    QVERIFY(q.isEmpty());
    QVERIFY(q.eof());
    QCOMPARE(q.recordCount(), 0);
    QCOMPARE(q.recNo(), 0);
}

void TstQuery::paramsAreBound()
{
    Query q;
    q.setSql("select * from rubry where Mail = ? and Cognome = :cognome");
    q.setParams({"anna@x", "Bianchi"});
    q.open();
    QCOMPARE(q.recordCount(), 1);
    q.close();
    q.setSql("select * from rubry where Cognome = :c or Nome = :c or Nome = 'Carlo'");
    q.setParams({"Mario"});
    q.open();
    QCOMPARE(q.recordCount(), 2);
}

void TstQuery::openQueryDoesNotBlockWrites()
{
    Table t(QStringLiteral("rubry"));
    t.open();
    t.startTransaction();
    for (int i = 0; i < 500; ++i)
        t.insertRecord({QVariant(), QString::number(i), "x", "", ""});
    t.commit();
    Query q;
    q.setSql("select * from rubry order by NumID");
    q.open(); // reads the first row only; the result is not finished
    QCOMPARE(q.fieldByName("Cognome").asString(), QString("Rossi"));
    // A write of the same program goes through, and the query keeps its rows.
    t.insertRecord({QVariant(), "late", "x", "", ""});
    t.first();
    t.deleteRecord();
    q.last();
    QCOMPARE(q.recNo(), 504);
    q.first();
    QCOMPARE(q.fieldByName("Cognome").asString(), QString("Rossi"));
}

void TstQuery::forwardOnlyPass()
{
    Query all;
    all.setSql("select * from rubry order by nome");
    all.open();
    const QStringList expected = enginetest::column(all, "Nome");
    QCOMPARE(expected.size(), 4);

    Query q;
    q.setForwardOnly(true);
    q.setSql("select * from rubry order by nome");
    q.open();
    QCOMPARE(q.recordCount(), 4);
    QStringList seen;
    int recNo = 0;
    for (q.first(); !q.eof(); q.next()) {
        seen << q.fieldByName("Nome").asString();
        QCOMPARE(q.recNo(), ++recNo);
    }
    QCOMPARE(seen, expected);
    QCOMPARE(q.recNo(), 4); // stays on the last record
    QCOMPARE(q.fieldByName("Nome").asString(), expected.last());
    QCOMPARE(q.recordCount(), 4);
    q.close();
    QVERIFY(!q.active());

    q.setSql("select * from rubry where Nome = 'nobody'");
    q.open();
    QVERIFY(q.eof());
    QCOMPARE(q.recordCount(), 0);
}

void TstQuery::forwardOnlyRefusesMovingBack_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("prior") << 0;
    QTest::newRow("first") << 1;
    QTest::newRow("setRecNo") << 2;
    QTest::newRow("valueAt") << 3;
}

void TstQuery::forwardOnlyRefusesMovingBack()
{
    QFETCH(int, how);
    Query q;
    q.setForwardOnly(true);
    q.setSql("select * from rubry order by nome");
    q.open();
    q.next();
    q.next();
    QCOMPARE(q.recNo(), 3);
    const QString current = q.fieldByName("Nome").asString();
    try {
        switch (how) {
        case 0:
            q.prior();
            break;
        case 1:
            q.first();
            break;
        case 2:
            q.setRecNo(1);
            break;
        default:
            q.valueAt(0, 2);
            break;
        }
        QFAIL("moving back on a forward-only query did not raise");
    } catch (const zr::EngineError& e) {
        QCOMPARE(e.helpContext(), engine::help::WrongState);
    }
    // The cursor is where it was and still goes forward.
    QCOMPARE(q.fieldByName("Nome").asString(), current);
    q.next();
    QCOMPARE(q.recNo(), 4);
    QVERIFY(!q.eof());
    q.next();
    QVERIFY(q.eof());
}

void TstQuery::forwardOnlyKeepsTheRestOnAWrite()
{
    Table t(QStringLiteral("rubry"));
    t.open();
    t.startTransaction();
    for (int i = 0; i < 500; ++i)
        t.insertRecord({QVariant(), QString::number(i), "x", "", ""});
    t.commit();
    Query q;
    q.setForwardOnly(true);
    q.setSql("select * from rubry order by NumID");
    q.open();
    for (int i = 0; i < 10; ++i)
        q.next();
    // A write of the same program goes through; the query still has its own rows after it.
    t.insertRecord({QVariant(), "late", "x", "", ""});
    int rest = 0;
    QString last;
    for (; !q.eof(); q.next()) {
        ++rest;
        last = q.fieldByName("Cognome").asString();
    }
    QCOMPARE(rest, 504 - 10);
    QCOMPARE(last, QString("499"));
}

void TstQuery::columnNames_data()
{
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("out");
    QTest::newRow("max") << "max(progr)"
                         << "max of progr";
    QTest::newRow("upper") << "MAX(PROGR)"
                           << "max of progr";
    QTest::newRow("qualified") << "max(t0.\"PROGR\")"
                               << "max of progr";
    QTest::newRow("count star") << "count(*)"
                                << "count of *";
    QTest::newRow("plain") << "Nome"
                           << "Nome";
    QTest::newRow("other function") << "upper(Nome)"
                                    << "upper(Nome)";
}

void TstQuery::columnNames()
{
    QFETCH(QString, in);
    QFETCH(QString, out);
    QCOMPARE(detail::resultColumnName(in), out);
}

QTEST_GUILESS_MAIN(TstQuery)
#include "tst_query.moc"
