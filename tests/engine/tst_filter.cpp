// Table filters: exact and case-sensitive terms, prefixes, literal values, malformed text.

#include "EngineTestUtil.h"
#include "TestEnv.h"
#include "engine/DataSet.h"
#include "engine/ErrorCodes.h"
#include "engine/detail/Filter.h"

#include <QTest>
#include <sqlite3.h>

using namespace engine;
using namespace enginetest;

class TstFilter : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void semantics_data();
    void semantics();
    void malformedRaises_data();
    void malformedRaises();
    void filterValuesAreLiteral_data();
    void filterValuesAreLiteral();
    void filteredFlag();
    void recordNumbersUnderFilter();
    void postedRecordLeavingFilter();
    void prefixUsesIndex();
    void prefixBounds_data();
    void prefixBounds();
    void sameFilterAgainSeesChangesMadeElsewhere();
    void sameFilterAgainAfterOwnWrites();
    void sparseSetReadPastTheFirstPage();

private:
    std::unique_ptr<testing_support::TestEnv> env;
    std::unique_ptr<Table> table;
};

void TstFilter::init()
{
    env = std::make_unique<testing_support::TestEnv>();
    createContacts();
    table = std::make_unique<Table>(QStringLiteral("Rubry.db"));
    table->setFiltered(true);
    table->open();
    table->startTransaction();
    // Cognome, Nome
    addContacts(*table, {{"Rossi", "Mario"},
                         {"Bianchi", "mario"},
                         {"Verdi", "Marco"},
                         {"Neri", "Mar"},
                         {"Gialli", "*"},
                         {"Blu", "M*rio"},
                         {"D'Amico", "Anna"},
                         {"Rosa", ""},
                         {"Viola", "Ma[r]io"},
                         {"Ocra", "Ma?"}});
    table->commit();
}

void TstFilter::cleanup()
{
    table.reset();
    env.reset();
}

void TstFilter::semantics_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("cognomi");
    const QStringList all = {"Rossi", "Bianchi", "Verdi", "Neri",  "Gialli",
                             "Blu",   "D'Amico", "Rosa",  "Viola", "Ocra"};
    QTest::newRow("empty passes all") << "" << all;
    QTest::newRow("blank passes all") << "   " << all;
    QTest::newRow("exact") << "Nome = 'Mario'" << QStringList{"Rossi"};
    QTest::newRow("case sensitive") << "Nome = 'mario'" << QStringList{"Bianchi"};
    QTest::newRow("field name any case") << "NOME = 'Mario'" << QStringList{"Rossi"};
    QTest::newRow("prefix") << "Nome = 'Mar*'" << QStringList{"Rossi", "Verdi", "Neri"};
    QTest::newRow("prefix case sensitive") << "Nome = 'mar*'" << QStringList{"Bianchi"};
    QTest::newRow("two chars prefix")
        << "Nome = 'M*'" << QStringList{"Rossi", "Verdi", "Neri", "Blu", "Viola", "Ocra"};
    QTest::newRow("lone star is exact") << "Nome = '*'" << QStringList{"Gialli"};
    QTest::newRow("star inside is literal") << "Nome = 'M*rio'" << QStringList{"Blu"};
    QTest::newRow("glob brackets literal") << "Nome = 'Ma[r]*'" << QStringList{"Viola"};
    QTest::newRow("glob question literal") << "Nome = 'Ma?*'" << QStringList{"Ocra"};
    QTest::newRow("two terms") << "Nome = 'Mar*' and Cognome = 'Verdi'" << QStringList{"Verdi"};
    QTest::newRow("and without blank")
        << "Nome = 'Mar*'and Cognome = 'Neri'" << QStringList{"Neri"};
    QTest::newRow("AND upper") << "Nome = 'Mar*' AND Cognome = 'Neri'" << QStringList{"Neri"};
    QTest::newRow("doubled quote") << "Cognome = 'D''Amico'" << QStringList{"D'Amico"};
    QTest::newRow("empty value") << "Nome = ''" << QStringList{"Rosa"};
    QTest::newRow("no match") << "Nome = 'Giuseppe'" << QStringList{};
    QTest::newRow("number on integer field") << "NumID = 3" << QStringList{"Verdi"};
    QTest::newRow("prefix on integer field") << "NumID = '1*'" << QStringList{"Rossi", "Ocra"};
    QTest::newRow("text on integer field") << "NumID = '2'" << QStringList{"Bianchi"};
}

void TstFilter::semantics()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, cognomi);
    table->setFilter(filter);
    QCOMPARE(table->filter(), filter);
    QCOMPARE(column(*table, "Cognome"), cognomi);
    QCOMPARE(table->recordCount(), cognomi.size());
    QCOMPARE(table->isEmpty(), cognomi.isEmpty());
}

void TstFilter::malformedRaises_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<int>("context");
    QTest::newRow("unbalanced quote") << "Nome = 'D'Amico'" << help::FilterSyntax;
    QTest::newRow("unterminated") << "Nome = 'Mario" << help::FilterSyntax;
    QTest::newRow("no operator") << "Nome 'Mario'" << help::FilterSyntax;
    QTest::newRow("no value") << "Nome =" << help::FilterSyntax;
    QTest::newRow("dangling and") << "Nome = 'a' and" << help::FilterSyntax;
    QTest::newRow("or is not understood") << "Nome = 'a' or Nome = 'b'" << help::FilterSyntax;
    QTest::newRow("sql injection attempt")
        << "Nome = 'a'; DROP TABLE records" << help::FilterSyntax;
    QTest::newRow("unknown field") << "Nomi = 'a'" << help::FieldNotFound;
}

void TstFilter::malformedRaises()
{
    QFETCH(QString, filter);
    QFETCH(int, context);
    table->setFilter("Nome = 'Mario'");
    try {
        table->setFilter(filter);
        QFAIL("no error");
    } catch (const zr::EngineError& e) {
        QCOMPARE(e.helpContext(), context);
    }
    // The previous filter stays in force.
    QCOMPARE(table->filter(), QString("Nome = 'Mario'"));
    QCOMPARE(table->recordCount(), 1);
    QVERIFY(table->active());
}

void TstFilter::filterValuesAreLiteral_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("cognomi");
    QTest::newRow("quote") << "Cognome"
                           << "D'Amico" << QStringList{"D'Amico"};
    QTest::newRow("prefix with quote") << "Cognome"
                                       << "D'*" << QStringList{"D'Amico"};
    QTest::newRow("sql text") << "Nome"
                              << "x' OR '1'='1" << QStringList{};
    QTest::newRow("lone star") << "Nome"
                               << "*" << QStringList{"Gialli"};
    QTest::newRow("prefix") << "nome"
                            << "Ma*" << QStringList{"Rossi", "Verdi", "Neri", "Viola", "Ocra"};
}

void TstFilter::filterValuesAreLiteral()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(QStringList, cognomi);
    table->setFilterValues({{field, value}});
    QCOMPARE(column(*table, "Cognome"), cognomi);
    // The text form reads back to the same filter.
    const QString text = table->filter();
    table->setFilter(QString());
    table->setFilter(text);
    QCOMPARE(column(*table, "Cognome"), cognomi);
}

void TstFilter::filteredFlag()
{
    table->setFilter("Nome = 'Mario'");
    QCOMPARE(table->recordCount(), 1);
    table->setFiltered(false);
    QCOMPARE(table->recordCount(), 10);
    table->setFiltered(true);
    QCOMPARE(table->recordCount(), 1);
    // A filter set on a closed table applies when it opens.
    table->close();
    table->setFilter("Nome = 'Mar*'");
    table->open();
    QCOMPARE(table->recordCount(), 3);
}

void TstFilter::recordNumbersUnderFilter()
{
    table->setFilter("Nome = 'Mar*'");
    table->first();
    QCOMPARE(table->recNo(), 1);
    table->next();
    QCOMPARE(table->recNo(), 2);
    QCOMPARE(table->fieldByName("Cognome").asString(), QString("Verdi"));
    table->setRecNo(3);
    QCOMPARE(table->fieldByName("Cognome").asString(), QString("Neri"));
    table->deleteRecord();
    QCOMPARE(table->recordCount(), 2);
    QCOMPARE(table->recNo(), 2);
    QCOMPARE(table->fieldByName("Cognome").asString(), QString("Verdi"));
    // The grid rows follow the filtered set.
    QCOMPARE(table->valueAt(0, 1).toString(), QString("Rossi"));
    QCOMPARE(table->valueAt(1, 1).toString(), QString("Verdi"));
    QVERIFY(!table->valueAt(2, 1).isValid());
}

void TstFilter::postedRecordLeavingFilter()
{
    table->setFilter("Nome = 'Mar*'");
    table->first();
    table->edit();
    table->fieldByName("Nome").setValue("Giulio");
    table->post();
    // The record left the set: the cursor stands on the one that took its place.
    QCOMPARE(table->fieldByName("Cognome").asString(), QString("Verdi"));
    QCOMPARE(table->recNo(), 1);
    table->next();
    QCOMPARE(table->fieldByName("Cognome").asString(), QString("Neri"));
    QCOMPARE(table->recordCount(), 2);
    QCOMPARE(column(*table, "Cognome"), (QStringList{"Verdi", "Neri"}));
    // A new record inside the filter joins the set.
    table->insertRecord({QVariant(), "Nuovo", "Marta", "", ""});
    QCOMPARE(table->recordCount(), 3);
    QCOMPARE(table->recNo(), 3);
    // Editing the only record of a set out of it leaves the set empty.
    table->setFilter("Nome = 'Marta'");
    QCOMPARE(table->recordCount(), 1);
    table->edit();
    QCOMPARE(table->state(), DataSet::State::Edit);
    table->fieldByName("Nome").setValue("Giulio");
    table->post();
    QVERIFY(table->isEmpty());
    QVERIFY(table->eof() && table->bof());
    QCOMPARE(table->recNo(), 0);
}

void TstFilter::prefixUsesIndex()
{
    table->close();
    table->ensureHelperIndex("Nome");
    table->open();
    const detail::FilterSql sql = detail::filterSql(detail::parseFilter("Nome = 'Mar*'"), [] {
        detail::TableSchema s;
        s.fields = contactFields();
        return s;
    }());
    sqlite3* db = nullptr;
    QCOMPARE(
        sqlite3_open_v2(table->filePath().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr),
        SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    const QByteArray q = ("SELECT count(*) FROM records WHERE " + sql.where).toUtf8();
    QCOMPARE(sqlite3_prepare_v2(db, q.constData(), -1, &st, nullptr), SQLITE_OK);
    QCOMPARE(sql.params.size(), 2); // a range over the text field
    for (int i = 0; i < sql.params.size(); ++i)
        sqlite3_bind_text(st, i + 1, sql.params.at(i).toString().toUtf8().constData(), -1,
                          SQLITE_TRANSIENT);
    QCOMPARE(sqlite3_step(st), SQLITE_ROW);
    QCOMPARE(sqlite3_column_int(st, 0), 3);
    QCOMPARE(sqlite3_stmt_status(st, SQLITE_STMTSTATUS_FULLSCAN_STEP, 0), 0);
    sqlite3_finalize(st);
    sqlite3_close(db);
    table->setFilter("Nome = 'Mar*'");
    QCOMPARE(table->recordCount(), 3);
}

void TstFilter::prefixBounds_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("upper");
    QTest::newRow("ascii") << "Mar"
                           << "Mas";
    QTest::newRow("accented") << QString::fromUtf8("Niccol\xc3\xb2")
                              << QString::fromUtf8("Niccol\xc3\xb3");
    QTest::newRow("before surrogates") << QString(QChar(0xD7FF)) << QString(QChar(0xE000));
    QTest::newRow("last code point") << QString::fromUcs4(U"a\U0010FFFF") << QString();
}

void TstFilter::prefixBounds()
{
    QFETCH(QString, prefix);
    QFETCH(QString, upper);
    QCOMPARE(detail::prefixUpperBound(prefix), upper);
}

void TstFilter::sameFilterAgainSeesChangesMadeElsewhere()
{
    table->setFilterValues({{"Nome", "Mar*"}});
    QCOMPARE(table->recordCount(), 3);
    QCOMPARE(table->valueAt(2, 1).toString(), QString("Neri"));
    {
        // Another cursor of the file (its own connection) adds and removes records.
        Table other(QStringLiteral("Rubry.db"));
        other.open();
        other.insertRecord({QVariant(), "Altro", "Marina", "", ""});
        other.first(); // Rossi Mario
        other.deleteRecord();
    }
    // The same filter applied again (as the search button does) reads the set anew.
    table->setFiltered(true);
    QCOMPARE(table->fieldByName("Cognome").asString(), QString("Verdi"));
    QCOMPARE(table->valueAt(2, 1).toString(), QString("Altro"));
    QCOMPARE(table->recordCount(), 3);
    QCOMPARE(column(*table, "Cognome"), (QStringList{"Verdi", "Neri", "Altro"}));
    table->setFilterValues({{"Nome", "Mar*"}});
    QCOMPARE(table->recordCount(), 3);
    QCOMPARE(table->valueAt(0, 1).toString(), QString("Verdi"));
    QCOMPARE(table->recNo(), 1);
}

void TstFilter::sameFilterAgainAfterOwnWrites()
{
    table->setFilter("Nome = 'Mar*'");
    QCOMPARE(table->recordCount(), 3);
    table->setRecNo(3);
    table->insertRecord({QVariant(), "Nuovo", "Marta", "", ""});
    table->first();
    table->deleteRecord(); // Rossi Mario
    table->setFilter("Nome = 'Mar*'");
    QCOMPARE(table->recNo(), 1); // back on the first record
    QCOMPARE(table->recordCount(), 3);
    QCOMPARE(column(*table, "Cognome"), (QStringList{"Verdi", "Neri", "Nuovo"}));
}

void TstFilter::sparseSetReadPastTheFirstPage()
{
    // 300 more records, one in three a "Sparso": 100 in the set, spread over the file.
    table->startTransaction();
    QStringList expected;
    for (int i = 0; i < 300; ++i) {
        const bool in = i % 3 == 1;
        const QString cognome = QStringLiteral("C%1").arg(i, 3, 10, QChar(u'0'));
        table->insertRecord({QVariant(), cognome, in ? "Sparso" : "Altro", "", ""});
        if (in)
            expected << cognome;
    }
    table->commit();
    table->setFilterValues({{"Nome", "Sparso"}});
    // Forward by steps, backward by steps, and by grid rows out of order.
    QCOMPARE(column(*table, "Cognome"), expected);
    QStringList backward;
    table->last();
    while (!table->bof()) {
        backward.prepend(table->fieldByName("Cognome").asString());
        table->prior();
    }
    QCOMPARE(backward, expected);
    for (int row : {99, 0, 57, 41, 40, 39, 98}) {
        QCOMPARE(table->valueAt(row, 1).toString(), expected.at(row));
    }
    QCOMPARE(table->recordCount(), 100);
    table->setFilterValues({{"Nome", "Sparso"}});
    QCOMPARE(table->fieldByName("Cognome").asString(), expected.first());
    QCOMPARE(table->recordCount(), 100);
}

QTEST_GUILESS_MAIN(TstFilter)
#include "tst_filter.moc"
