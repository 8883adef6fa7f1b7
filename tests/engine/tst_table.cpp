// Table cursors: files and names, field kinds, navigation, editing, record numbers.

#include "EngineTestUtil.h"
#include "TestEnv.h"
#include "engine/DataSet.h"
#include "engine/ErrorCodes.h"

#include <QDate>
#include <QDir>
#include <QSignalSpy>
#include <QTest>

using namespace engine;
using namespace enginetest;

class TstTable : public QObject
{
    Q_OBJECT
private slots:
    void namesMatchRegardlessOfCase_data();
    void namesMatchRegardlessOfCase();
    void createdTableKeepsItsCase();
    void createReplacesExistingOfAnyCase();
    void missingTableRaises();
    void folderFromDatabaseName();
    void deleteAndRename();
    void renameOntoExistingRaises();

    void kindsRoundTrip_data();
    void kindsRoundTrip();
    void fieldDefinitionsRoundTrip();
    void indexDefinitionsRoundTrip_data();
    void indexDefinitionsRoundTrip();
    void helperIndexIsNotReported();

    void navigation();
    void emptySet();
    void recNoReadAndSet();
    void stringCutOnPost();
    void autoIncNeverReused();
    void editOnEmptySetBeginsInsert();
    void cancelRestores();
    void cancelInsertReturnsToRecord();
    void appendPostsPendingEdit();
    void deleteMovesToNext();
    void deleteLastAndEmpty();
    void requiredAndKeyViolation();
    void keyedTableInKeyOrder();
    void fieldsByNameAndPosition();
    void invalidValueRaises();
    void signalsFollowCursor();
    void transactionCommitAndRollback();
    void stepsAcrossPages();
    void containsValueSeesOwnTransaction();
};

void TstTable::namesMatchRegardlessOfCase_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("as created") << "Rubry.Db";
    QTest::newRow("lower") << "rubry.db";
    QTest::newRow("no extension") << "rubry";
    QTest::newRow("upper no extension") << "RUBRY";
    QTest::newRow("mixed") << "rUbRy.DB";
}

void TstTable::namesMatchRegardlessOfCase()
{
    QFETCH(QString, name);
    testing_support::TestEnv env;
    createContacts();
    Table t(name);
    QVERIFY(t.exists());
    t.open();
    addContacts(t, {{"Rossi", "Mario"}});
    t.close();
    Table again(QStringLiteral("Rubry.Db"));
    again.open();
    QCOMPARE(again.recordCount(), 1);
    QCOMPARE(QDir(env.folder()).entryList(QDir::Files), QStringList{"Rubry.Db"});
}

void TstTable::createdTableKeepsItsCase()
{
    testing_support::TestEnv env;
    createContacts(QStringLiteral("tabExport"));
    QVERIFY(QFile::exists(env.file("tabExport.db")));
    Table t(QStringLiteral("TABEXPORT.DB"));
    QCOMPARE(t.filePath(), env.file("tabExport.db"));
}

void TstTable::createReplacesExistingOfAnyCase()
{
    testing_support::TestEnv env;
    createContacts(QStringLiteral("Rubry.Db"));
    {
        Table t(QStringLiteral("Rubry.Db"));
        t.open();
        addContacts(t, {{"Rossi", "Mario"}});
    }
    createContacts(QStringLiteral("rubry.db"));
    QCOMPARE(QDir(env.folder()).entryList(QDir::Files), QStringList{"rubry.db"});
    Table t(QStringLiteral("RUBRY"));
    t.open();
    QCOMPARE(t.recordCount(), 0);
}

void TstTable::missingTableRaises()
{
    testing_support::TestEnv env;
    Table t(QStringLiteral("nothere.db"));
    QVERIFY(!t.exists());
    try {
        t.open();
        QFAIL("no error");
    } catch (const zr::EngineError& e) {
        QCOMPARE(e.helpContext(), help::TableNotFound);
        QVERIFY(e.message().contains("nothere"));
    }
    QVERIFY(!t.active());
    // A file that is not a table.
    env.writeFile("junk.db", QByteArray("this is not a database, just some text. ").repeated(100));
    Table junk(QStringLiteral("junk"));
    QVERIFY_THROWS_EXCEPTION(zr::EngineError, junk.open());
    QVERIFY(!junk.active());
}

void TstTable::folderFromDatabaseName()
{
    testing_support::TestEnv env;
    QDir(env.folder()).mkdir("other");
    createContacts(QStringLiteral("Rubry.Db"), env.folder() + "other");
    QVERIFY(QFile::exists(env.file("other/Rubry.Db")));
    Table inApp(QStringLiteral("Rubry.Db"));
    QVERIFY(!inApp.exists());
    Table inOther(QStringLiteral("rubry"));
    inOther.setDatabaseName(env.folder() + "other/");
    QVERIFY(inOther.exists());
}

void TstTable::deleteAndRename()
{
    testing_support::TestEnv env;
    createContacts(QStringLiteral("Rubry.DbAPPOGGIO.Db"));
    Table t(QStringLiteral("rubry.dbappoggio.db"));
    t.open();
    addContacts(t, {{"Rossi", "Mario"}});
    // In use: neither deleted nor renamed by another object.
    Table other(QStringLiteral("Rubry.DbAPPOGGIO.Db"));
    QVERIFY_THROWS_EXCEPTION(zr::EngineError, other.deleteTable());
    t.close();
    other.renameTable(QStringLiteral("Rubry.Db"));
    QCOMPARE(other.tableName(), QString("Rubry.Db"));
    QCOMPARE(QDir(env.folder()).entryList(QDir::Files), QStringList{"Rubry.Db"});
    other.open();
    QCOMPARE(other.recordCount(), 1);
    other.close();
    other.deleteTable();
    QVERIFY(!other.exists());
    QVERIFY_THROWS_EXCEPTION(zr::EngineError, other.deleteTable());
}

void TstTable::renameOntoExistingRaises()
{
    testing_support::TestEnv env;
    createContacts(QStringLiteral("a.db"));
    createContacts(QStringLiteral("B.db"));
    Table a(QStringLiteral("a.db"));
    try {
        a.renameTable(QStringLiteral("b.db"));
        QFAIL("no error");
    } catch (const zr::EngineError& e) {
        QCOMPARE(e.helpContext(), help::TableExists);
    }
    QVERIFY(a.exists());
}

void TstTable::kindsRoundTrip_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("size");
    QTest::addColumn<QVariant>("in");
    QTest::addColumn<QVariant>("out");
    QTest::addColumn<QString>("text");
    QTest::newRow("string keeps leading zeros")
        << int(FieldKind::String) << 10 << QVariant("007") << QVariant("007") << "007";
    QTest::newRow("memo keeps leading zeros")
        << int(FieldKind::Memo) << 0 << QVariant("007") << QVariant("007") << "007";
    QTest::newRow("memo long text") << int(FieldKind::Memo) << 0 << QVariant(QString(5000, 'x'))
                                    << QVariant(QString(5000, 'x')) << QString(5000, 'x');
    QTest::newRow("memo line breaks") << int(FieldKind::Memo) << 0 << QVariant("a\r\nb\r\n")
                                      << QVariant("a\r\nb\r\n") << "a\r\nb\r\n";
    QTest::newRow("string accents") << int(FieldKind::String) << 20 << QVariant("Niccolò €")
                                    << QVariant("Niccolò €") << "Niccolò €";
    QTest::newRow("string numeric text")
        << int(FieldKind::String) << 10 << QVariant("1e3") << QVariant("1e3") << "1e3";
    QTest::newRow("integer") << int(FieldKind::Integer) << 0 << QVariant(123456789012LL)
                             << QVariant(qint64(123456789012LL)) << "123456789012";
    QTest::newRow("integer from text")
        << int(FieldKind::Integer) << 0 << QVariant("42") << QVariant(qint64(42)) << "42";
    QTest::newRow("small integer")
        << int(FieldKind::SmallInt) << 0 << QVariant(-7) << QVariant(qint64(-7)) << "-7";
    QTest::newRow("boolean true") << int(FieldKind::Boolean) << 0 << QVariant(true)
                                  << QVariant(true) << "True";
    QTest::newRow("boolean false")
        << int(FieldKind::Boolean) << 0 << QVariant(false) << QVariant(false) << "False";
    QTest::newRow("float") << int(FieldKind::Float) << 0 << QVariant(3.25) << QVariant(3.25)
                           << "3.25";
    QTest::newRow("bcd") << int(FieldKind::BCD) << 2 << QVariant(12.5) << QVariant(12.5) << "12.5";
    QTest::newRow("money") << int(FieldKind::Money) << 0 << QVariant("1234,5") << QVariant(1234.5)
                           << "1234.5";
    QTest::newRow("date") << int(FieldKind::Date) << 0 << QVariant(QDate(2005, 2, 1))
                          << QVariant(QDate(2005, 2, 1)) << "01/02/2005";
    QTest::newRow("time") << int(FieldKind::Time) << 0 << QVariant(QTime(13, 5, 9))
                          << QVariant(QTime(13, 5, 9)) << "13:05:09";
    QTest::newRow("datetime") << int(FieldKind::DateTime) << 0
                              << QVariant(QDateTime(QDate(1999, 12, 31), QTime(23, 59, 58)))
                              << QVariant(QDateTime(QDate(1999, 12, 31), QTime(23, 59, 58)))
                              << "31/12/1999 23:59:58";
    QTest::newRow("null string") << int(FieldKind::String) << 10 << QVariant() << QVariant() << "";
    QTest::newRow("null integer") << int(FieldKind::Integer) << 0 << QVariant() << QVariant() << "";
}

void TstTable::kindsRoundTrip()
{
    QFETCH(int, kind);
    QFETCH(int, size);
    QFETCH(QVariant, in);
    QFETCH(QVariant, out);
    QFETCH(QString, text);
    testing_support::TestEnv env;
    {
        Table t(QStringLiteral("k.db"));
        t.fieldDefs = {{"ID", FieldKind::AutoInc, 0, false}, {"V", FieldKind(kind), size, false}};
        t.createTable();
        t.open();
        t.append();
        t.fieldByName("v").setValue(in);
        t.post();
    }
    Table t(QStringLiteral("k.db"));
    t.open();
    QCOMPARE(t.recordCount(), 1);
    Field& f = t.fieldByName("V");
    QCOMPARE(int(f.kind()), kind);
    QCOMPARE(f.value(), out);
    QCOMPARE(f.asString(), text);
    QCOMPARE(f.isNull(), !out.isValid());
}

void TstTable::fieldDefinitionsRoundTrip()
{
    testing_support::TestEnv env;
    const FieldDefs defs = {
        {"NumID", FieldKind::AutoInc, 0, true},   {"Testo", FieldKind::String, 33, true},
        {"Intero", FieldKind::Integer, 0, false}, {"Piccolo", FieldKind::SmallInt, 0, false},
        {"Note", FieldKind::Memo, 0, false},      {"Flag", FieldKind::Boolean, 0, false},
        {"Reale", FieldKind::Float, 0, false},    {"Bcd", FieldKind::BCD, 4, false},
        {"Soldi", FieldKind::Money, 0, false},    {"Giorno", FieldKind::Date, 0, false},
        {"Ora", FieldKind::Time, 0, false},       {"Quando", FieldKind::DateTime, 0, false}};
    Table t(QStringLiteral("def.db"));
    t.fieldDefs = defs;
    t.createTable();
    Table back(QStringLiteral("DEF"));
    back.readDefinitions();
    QCOMPARE(back.fieldDefs, defs);
    QVERIFY(back.indexDefs.isEmpty());
    back.open();
    QCOMPARE(back.fieldDefsOfSet(), defs);
    QCOMPARE(back.fieldByName("testo").displayWidth(), 33);
}

void TstTable::indexDefinitionsRoundTrip_data()
{
    QTest::addColumn<QList<IndexDef>>("indexes");
    using O = IndexOption;
    QTest::newRow("none") << QList<IndexDef>{};
    QTest::newRow("primary on integer") << QList<IndexDef>{{"", "PROGR", "", O::Primary}};
    QTest::newRow("descending primary")
        << QList<IndexDef>{{"", "PROGR", "", O::Primary | O::Descending}};
    QTest::newRow("case-insensitive primary on text")
        << QList<IndexDef>{{"", "DESCR", "", O::Primary | O::CaseInsensitive}};
    QTest::newRow("named primary two fields")
        << QList<IndexDef>{{"Chiave", "PROGR;NOME", "", O::Primary}};
    QTest::newRow("primary and secondaries")
        << QList<IndexDef>{{"", "PROGR", "", O::Primary},
                           {"perNome", "NOME", "", IndexOptions()},
                           {"perDescr", "DESCR;NOME", "", O::Unique | O::CaseInsensitive},
                           {"giu", "DESCR", "", O::Descending}};
    QTest::newRow("secondaries keep order")
        << QList<IndexDef>{{"z", "NOME", "", IndexOptions()}, {"a", "DESCR", "", IndexOptions()}};
    QTest::newRow("expression") << QList<IndexDef>{{"expr", "", "upper(NOME)", O::Expression}};
    QTest::newRow("non maintained") << QList<IndexDef>{{"nm", "NOME", "", O::NonMaintained}};
}

void TstTable::indexDefinitionsRoundTrip()
{
    QFETCH(QList<IndexDef>, indexes);
    testing_support::TestEnv env;
    Table t(QStringLiteral("tabexport.db"));
    t.fieldDefs = {{"PROGR", FieldKind::Integer, 0, true},
                   {"NOME", FieldKind::String, 20, false},
                   {"DESCR", FieldKind::String, 40, false}};
    t.indexDefs = indexes;
    t.createTable();
    QList<IndexDef> expected = indexes;
    for (IndexDef& ix : expected)
        if (ix.options & IndexOption::Primary)
            ix.options |= IndexOption::Unique; // a primary index reads back as unique too
    QCOMPARE(t.storedIndexes(), expected);
    QCOMPARE(t.storedFields(), t.fieldDefs);
}

void TstTable::helperIndexIsNotReported()
{
    testing_support::TestEnv env;
    createContacts();
    Table t(QStringLiteral("rubry"));
    t.ensureHelperIndex("mail");
    t.ensureHelperIndex("MAIL"); // twice is fine
    QVERIFY(t.storedIndexes().isEmpty());
    t.open();
    addContacts(t, {{"Rossi", "Mario"}});
    QVERIFY(t.containsValue("Mail", "mario@x"));
    QVERIFY(!t.containsValue("Mail", "nobody@x"));
    QVERIFY_THROWS_EXCEPTION(zr::EngineError, t.ensureHelperIndex("Nothing"));
}

void TstTable::navigation()
{
    OpenContacts contacts;
    Table& t = contacts.table;
    addContacts(t, {{"A", "1"}, {"B", "2"}, {"C", "3"}});
    t.first();
    QVERIFY(t.bof());
    QVERIFY(!t.eof());
    QCOMPARE(t.fieldByName("Cognome").asString(), QString("A"));
    t.prior();
    QVERIFY(t.bof());
    QCOMPARE(t.fieldByName("Cognome").asString(), QString("A"));
    t.next();
    QCOMPARE(t.fieldByName("Cognome").asString(), QString("B"));
    QVERIFY(!t.bof() && !t.eof());
    t.next();
    t.next();
    QVERIFY(t.eof());
    QCOMPARE(t.fieldByName("Cognome").asString(), QString("C"));
    QCOMPARE(t.recNo(), 3);
    t.last();
    QVERIFY(t.eof());
    t.prior();
    QCOMPARE(t.fieldByName("Cognome").asString(), QString("B"));
    QCOMPARE(column(t, "Cognome"), (QStringList{"A", "B", "C"}));
}

void TstTable::emptySet()
{
    OpenContacts contacts;
    Table& t = contacts.table;
    QVERIFY(t.isEmpty());
    QVERIFY(t.eof());
    QVERIFY(t.bof());
    QCOMPARE(t.recordCount(), 0);
    QCOMPARE(t.recNo(), 0);
    t.next();
    t.last();
    QVERIFY(t.eof());
    QCOMPARE(t.fieldByName("Nome").asString(), QString());
    try {
        t.deleteRecord();
        QFAIL("no error");
    } catch (const zr::EngineError& e) {
        QCOMPARE(e.helpContext(), help::WrongState);
    }
}

void TstTable::recNoReadAndSet()
{
    OpenContacts contacts;
    Table& t = contacts.table;
    for (int i = 0; i < 10; ++i)
        addContacts(t, {{QString::number(i), "x"}});
    for (int n = 1; n <= 10; ++n) {
        t.setRecNo(n);
        QCOMPARE(t.recNo(), n);
        QCOMPARE(t.fieldByName("Cognome").asString(), QString::number(n - 1));
    }
    t.setRecNo(4);
    t.setRecNo(2);
    QCOMPARE(t.fieldByName("Cognome").asString(), QString("1"));
    t.setRecNo(99); // beyond the end: the last record
    QCOMPARE(t.recNo(), 10);
    // Appended record: its number is found again after the post.
    t.append();
    QCOMPARE(t.recNo(), 0);
    t.fieldByName("Cognome").setValue("new");
    t.post();
    QCOMPARE(t.recNo(), 11);
    QCOMPARE(t.recordCount(), 11);
}

void TstTable::stringCutOnPost()
{
    OpenContacts contacts;
    Table& t = contacts.table;
    const QString longName = QString(51, 'n');
    t.append();
    t.fieldByName("Nome").setValue(longName);
    QCOMPARE(t.fieldByName("Nome").asString(), longName); // cut when stored, not before
    t.post();
    QCOMPARE(t.fieldByName("Nome").asString(), QString(50, 'n'));
    t.close();
    t.open();
    QCOMPARE(t.fieldByName("Nome").asString(), QString(50, 'n'));
    QCOMPARE(t.fieldByName("Nome").size(), 50);
}

void TstTable::autoIncNeverReused()
{
    OpenContacts contacts;
    Table& t = contacts.table;
    addContacts(t, {{"A", "1"}, {"B", "2"}, {"C", "3"}});
    QCOMPARE(t.fieldByName("NumID").asInteger(), 3);
    t.last();
    t.deleteRecord(); // the highest number
    t.first();
    t.deleteRecord();
    addContacts(t, {{"D", "4"}});
    QCOMPARE(t.fieldByName("NumID").asInteger(), 4);
    t.close();
    t.open();
    QStringList ids = column(t, "NumID");
    QCOMPARE(ids, (QStringList{"2", "4"}));
    // Also after the table is emptied.
    t.emptyTable();
    addContacts(t, {{"E", "5"}});
    QCOMPARE(t.fieldByName("NumID").asInteger(), 5);
    // NumID cannot be typed.
    t.edit();
    QVERIFY_THROWS_EXCEPTION(zr::EngineError, t.fieldByName("NumID").setValue(9));
    t.cancel();
}

void TstTable::editOnEmptySetBeginsInsert()
{
    OpenContacts contacts;
    Table& t = contacts.table;
    t.edit();
    QCOMPARE(t.state(), DataSet::State::Insert);
    t.fieldByName("Nome").setValue("Mario");
    t.post();
    QCOMPARE(t.recordCount(), 1);
    QCOMPARE(t.fieldByName("NumID").asInteger(), 1);
    // With a record, edit changes it.
    t.edit();
    QCOMPARE(t.state(), DataSet::State::Edit);
    t.fieldByName("Nome").setValue("Luigi");
    t.post();
    QCOMPARE(t.recordCount(), 1);
    QCOMPARE(t.fieldByName("Nome").asString(), QString("Luigi"));
}

void TstTable::cancelRestores()
{
    OpenContacts contacts;
    Table& t = contacts.table;
    addContacts(t, {{"Rossi", "Mario"}});
    t.edit();
    t.fieldByName("Nome").setValue("");
    t.fieldByName("Cognome").setValue("Bianchi");
    QCOMPARE(t.fieldByName("Nome").asString(), QString());
    t.cancel();
    QCOMPARE(t.state(), DataSet::State::Browse);
    QCOMPARE(t.fieldByName("Nome").asString(), QString("Mario"));
    QCOMPARE(t.fieldByName("Cognome").asString(), QString("Rossi"));
    t.close();
    t.open();
    QCOMPARE(t.fieldByName("Cognome").asString(), QString("Rossi"));
    // Posting outside edit mode is an error.
    QVERIFY_THROWS_EXCEPTION(zr::EngineError, t.post());
    QVERIFY_THROWS_EXCEPTION(zr::EngineError, t.fieldByName("Nome").setValue("x"));
}

void TstTable::cancelInsertReturnsToRecord()
{
    OpenContacts contacts;
    Table& t = contacts.table;
    addContacts(t, {{"A", "1"}, {"B", "2"}});
    t.first();
    t.append();
    t.fieldByName("Nome").setValue("nuovo");
    t.cancel();
    QCOMPARE(t.fieldByName("Cognome").asString(), QString("A"));
    QCOMPARE(t.recNo(), 1);
    QCOMPARE(t.recordCount(), 2);
}

void TstTable::appendPostsPendingEdit()
{
    OpenContacts contacts;
    Table& t = contacts.table;
    addContacts(t, {{"A", "1"}});
    t.edit();
    t.fieldByName("Nome").setValue("changed");
    t.next(); // moving posts a changed record
    QCOMPARE(t.state(), DataSet::State::Browse);
    t.first();
    QCOMPARE(t.fieldByName("Nome").asString(), QString("changed"));
    t.close();
    t.open();
    t.edit();
    t.fieldByName("Nome").setValue("lost");
    t.close(); // closing drops an unposted change
    t.open();
    QCOMPARE(t.fieldByName("Nome").asString(), QString("changed"));
}

void TstTable::deleteMovesToNext()
{
    OpenContacts contacts;
    Table& t = contacts.table;
    addContacts(t, {{"A", "1"}, {"B", "2"}, {"C", "3"}, {"D", "4"}});
    t.setRecNo(2);
    t.deleteRecord();
    QCOMPARE(t.fieldByName("Cognome").asString(), QString("C"));
    QCOMPARE(t.recNo(), 2);
    QCOMPARE(t.recordCount(), 3);
    QCOMPARE(column(t, "Cognome"), (QStringList{"A", "C", "D"}));
    QCOMPARE(column(t, "NumID"), (QStringList{"1", "3", "4"})); // others keep their numbers
}

void TstTable::deleteLastAndEmpty()
{
    OpenContacts contacts;
    Table& t = contacts.table;
    addContacts(t, {{"A", "1"}, {"B", "2"}, {"C", "3"}});
    t.last();
    t.deleteRecord();
    QCOMPARE(t.fieldByName("Cognome").asString(), QString("B"));
    QVERIFY(t.eof());
    // Delete all from the first until none is left.
    t.first();
    int guard = 0;
    while (!t.isEmpty() && guard++ < 10)
        t.deleteRecord();
    QCOMPARE(t.recordCount(), 0);
    QVERIFY(t.eof() && t.bof());
}

void TstTable::requiredAndKeyViolation()
{
    testing_support::TestEnv env;
    Table t(QStringLiteral("tabexport.db"));
    t.fieldDefs = {{"PROGR", FieldKind::Integer, 0, true}, {"DESCR", FieldKind::String, 40, false}};
    t.indexDefs = {{"", "PROGR", "", IndexOption::Primary}};
    t.createTable();
    t.open();
    t.append();
    t.fieldByName("DESCR").setValue("no key");
    try {
        t.post();
        QFAIL("no error");
    } catch (const zr::EngineError& e) {
        QCOMPARE(e.helpContext(), help::RequiredField);
    }
    QCOMPARE(t.state(), DataSet::State::Insert); // still inserting: the user may fix it
    t.fieldByName("PROGR").setValue(1);
    t.post();
    try {
        t.insertRecord({1, "again"});
        QFAIL("duplicate key posted");
    } catch (const zr::EngineError& e) {
        QCOMPARE(e.helpContext(), help::KeyViolation);
    }
    QCOMPARE(t.state(), DataSet::State::Browse);
    QCOMPARE(t.recordCount(), 1);
}

void TstTable::keyedTableInKeyOrder()
{
    testing_support::TestEnv env;
    Table t(QStringLiteral("tabexport.db"));
    t.fieldDefs = {{"PROGR", FieldKind::Integer, 0, true}, {"DESCR", FieldKind::String, 40, false}};
    t.indexDefs = {{"", "PROGR", "", IndexOption::Primary}};
    t.createTable();
    t.open();
    for (int k : {5, 1, 3, 10, 2})
        t.insertRecord({k, QStringLiteral("d%1").arg(k)});
    QCOMPARE(column(t, "PROGR"), (QStringList{"1", "2", "3", "5", "10"}));
    t.setRecNo(4);
    QCOMPARE(t.fieldByName("DESCR").asString(), QString("d5"));
    t.insertRecord({4, "d4"});
    QCOMPARE(t.recNo(), 4);
    t.edit();
    t.fieldByName("PROGR").setValue(20); // key changed: the record moves
    t.post();
    QCOMPARE(t.recNo(), 6);
    t.prior();
    QCOMPARE(t.fieldByName("PROGR").asInteger(), 10);
    t.close();

    // A descending, two-field key.
    Table d(QStringLiteral("desc.db"));
    d.fieldDefs = {{"A", FieldKind::Integer, 0, true}, {"B", FieldKind::String, 5, true}};
    d.indexDefs = {{"", "A;B", "", IndexOption::Primary | IndexOption::Descending}};
    d.createTable();
    d.open();
    for (auto [a, b] : {std::pair{1, "x"}, std::pair{2, "a"}, std::pair{1, "z"}, std::pair{2, "b"}})
        d.insertRecord({a, QString::fromLatin1(b)});
    QCOMPARE(column(d, "B"), (QStringList{"b", "a", "z", "x"}));
    d.last();
    d.prior();
    QCOMPARE(d.fieldByName("B").asString(), QString("z"));
    QCOMPARE(d.recNo(), 3);
}

void TstTable::fieldsByNameAndPosition()
{
    OpenContacts contacts;
    Table& t = contacts.table;
    addContacts(t, {{"Rossi", "Mario"}});
    QCOMPARE(t.fieldCount(), 5);
    QCOMPARE(t.field(2).name(), QString("Nome"));
    QCOMPARE(&t.fieldByName("NOME"), &t.field(2));
    QCOMPARE(t.findField("nome"), &t.field(2));
    QCOMPARE(t.findField("missing"), nullptr);
    try {
        t.fieldByName("missing");
        QFAIL("no error");
    } catch (const zr::EngineError& e) {
        QCOMPARE(e.helpContext(), help::FieldNotFound);
    }
    QCOMPARE(t.fieldNames(), (QStringList{"NumID", "Cognome", "Nome", "Numero", "Mail"}));
    QCOMPARE(t.field(0).kind(), FieldKind::AutoInc);
    QCOMPARE(t.field(4).size(), 40);
    QCOMPARE(t.field(4).displayWidth(), 40);
    t.edit();
    t.setFieldValue("numero", "0612");
    t.post();
    QCOMPARE(t.fieldByName("Numero").asString(), QString("0612"));
}

void TstTable::invalidValueRaises()
{
    testing_support::TestEnv env;
    Table t(QStringLiteral("v.db"));
    t.fieldDefs = {{"I", FieldKind::Integer, 0, false},
                   {"D", FieldKind::Date, 0, false},
                   {"S", FieldKind::SmallInt, 0, false}};
    t.createTable();
    t.open();
    t.append();
    for (auto [field, value] :
         {std::pair{"I", "abc"}, std::pair{"D", "31/02/2005"}, std::pair{"S", "70000"}}) {
        try {
            t.fieldByName(field).setValue(QString::fromUtf8(value));
            QFAIL("no error");
        } catch (const zr::EngineError& e) {
            QCOMPARE(e.helpContext(), help::InvalidValue);
        }
    }
    t.fieldByName("D").setValue("05/03/2004"); // day/month/year as typed in Italy
    t.post();
    QCOMPARE(t.fieldByName("D").value().toDate(), QDate(2004, 3, 5));
}

void TstTable::signalsFollowCursor()
{
    testing_support::TestEnv env;
    createContacts();
    Table t(QStringLiteral("Rubry.Db"));
    QSignalSpy opened(&t, &DataSet::opened);
    QSignalSpy closed(&t, &DataSet::closed);
    QSignalSpy current(&t, &DataSet::currentChanged);
    QSignalSpy reset(&t, &DataSet::reset);
    QSignalSpy states(&t, &DataSet::stateChanged);
    t.open();
    QCOMPARE(opened.count(), 1);
    addContacts(t, {{"A", "1"}, {"B", "2"}});
    current.clear();
    t.first();
    t.next();
    QCOMPARE(current.count(), 2);
    states.clear();
    t.edit();
    t.fieldByName("Nome").setValue("x");
    QCOMPARE(current.count(), 4);
    reset.clear();
    t.post();
    QCOMPARE(reset.count(), 1);
    QCOMPARE(states.count(), 2);
    QCOMPARE(states.at(0).at(0).value<DataSet::State>(), DataSet::State::Edit);
    t.close();
    QCOMPARE(closed.count(), 1);
}

void TstTable::transactionCommitAndRollback()
{
    OpenContacts contacts;
    Table& t = contacts.table;
    t.startTransaction();
    QVERIFY(t.inTransaction());
    addContacts(t, {{"A", "1"}, {"B", "2"}});
    QCOMPARE(t.recordCount(), 2);
    t.rollback();
    QCOMPARE(t.recordCount(), 0);
    QVERIFY(t.isEmpty());
    t.startTransaction();
    addContacts(t, {{"C", "3"}});
    t.commit();
    QVERIFY(!t.inTransaction());
    Table other(QStringLiteral("rubry"));
    other.open();
    QCOMPARE(column(other, "Cognome"), QStringList{"C"});
    // Closing with an open transaction discards it.
    t.startTransaction();
    addContacts(t, {{"D", "4"}});
    t.close();
    other.close();
    other.open();
    QCOMPARE(other.recordCount(), 1);
}

void TstTable::stepsAcrossPages()
{
    OpenContacts contacts;
    Table& t = contacts.table;
    t.startTransaction();
    for (int i = 0; i < 1000; ++i)
        t.insertRecord({QVariant(), QString::number(i), i % 2 ? "odd" : "even", "", ""});
    t.commit();
    t.close();
    t.open();
    int n = 0;
    for (t.first(); !t.eof(); t.next()) {
        QCOMPARE(t.fieldByName("Cognome").asInteger(), n);
        QCOMPARE(t.recNo(), n + 1);
        ++n;
    }
    QCOMPARE(n, 1000);
    for (t.last(), n = 999; !t.bof(); t.prior(), --n)
        QCOMPARE(t.fieldByName("Cognome").asInteger(), n);
    QCOMPARE(n, -1);
    // Random access in any order.
    for (int r : {700, 3, 999, 500, 501, 1, 1000, 250}) {
        t.setRecNo(r);
        QCOMPARE(t.fieldByName("Cognome").asInteger(), r - 1);
        QCOMPARE(t.valueAt(r - 1, 1).toString(), QString::number(r - 1));
    }
}

void TstTable::containsValueSeesOwnTransaction()
{
    OpenContacts contacts;
    Table& t = contacts.table;
    t.startTransaction();
    addContacts(t, {{"Rossi", "Mario"}});
    QVERIFY(t.containsValue("MAIL", "mario@x"));
    t.commit();
}

QTEST_GUILESS_MAIN(TstTable)
#include "tst_table.moc"
