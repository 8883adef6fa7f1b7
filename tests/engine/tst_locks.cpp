// Tables held elsewhere: the advisory lock a copy respects, and writes that meet a
// lock of another connection.

#include "EngineTestUtil.h"
#include "TestEnv.h"
#include "engine/DataSet.h"
#include "engine/Engine.h"
#include "engine/ErrorCodes.h"

#include <QTest>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <unistd.h>

using namespace engine;
using namespace enginetest;

namespace {
// What the file copy service does: an exclusive lock without waiting.
bool canLockExclusively(const QString& path)
{
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDONLY);
    if (fd < 0)
        return false;
    const bool ok = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return ok;
}
} // namespace

class TstLocks : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { engine::setBusyTimeout(50); }
    void openTableHoldsSharedLock();
    void openQueryHoldsSharedLock();
    void openFailsWhileCopied();
    void writeWhileOtherConnectionWritesRaises_data();
    void writeWhileOtherConnectionWritesRaises();
    void journalModeIsDelete();
    void secondCursorDuringTransaction();
};

void TstLocks::secondCursorDuringTransaction()
{
    testing_support::TestEnv env;
    createContacts();
    Table writer(QStringLiteral("rubry"));
    writer.open();
    addContacts(writer, {{"Rossi", "Mario"}});
    writer.startTransaction();
    addContacts(writer, {{"Verdi", "Carlo"}});
    // Another cursor and a query open and read the committed records meanwhile.
    Table reader(QStringLiteral("Rubry.Db"));
    reader.open();
    QCOMPARE(reader.recordCount(), 1);
    Query q;
    q.setSql("select * from rubry");
    q.open();
    QCOMPARE(q.recordCount(), 1);
    writer.commit();
    reader.first(); // looks at the file again
    QCOMPARE(reader.recordCount(), 2);
    QCOMPARE(column(reader, "Cognome"), (QStringList{"Rossi", "Verdi"}));
}

void TstLocks::openTableHoldsSharedLock()
{
    testing_support::TestEnv env;
    createContacts();
    Table t(QStringLiteral("rubry"));
    const QString path = t.filePath();
    QVERIFY(canLockExclusively(path));
    t.open();
    QVERIFY(!canLockExclusively(path));
    Table second(QStringLiteral("RUBRY.DB")); // two cursors share the file
    second.open();
    t.close();
    QVERIFY(!canLockExclusively(path));
    second.close();
    QVERIFY(canLockExclusively(path));
}

void TstLocks::openQueryHoldsSharedLock()
{
    testing_support::TestEnv env;
    createContacts();
    createContacts(QStringLiteral("other.db"));
    Query q;
    q.setSql("select * from rubry, other");
    q.open();
    QVERIFY(!canLockExclusively(env.file("Rubry.Db")));
    QVERIFY(!canLockExclusively(env.file("other.db")));
    q.close();
    QVERIFY(canLockExclusively(env.file("Rubry.Db")));
    QVERIFY(canLockExclusively(env.file("other.db")));
}

void TstLocks::openFailsWhileCopied()
{
    testing_support::TestEnv env;
    createContacts();
    const int fd = ::open(env.file("Rubry.Db").toLocal8Bit().constData(), O_RDONLY);
    QVERIFY(fd >= 0);
    QCOMPARE(::flock(fd, LOCK_EX | LOCK_NB), 0);
    Table t(QStringLiteral("rubry"));
    try {
        t.open();
        QFAIL("opened a table being copied");
    } catch (const zr::EngineError& e) {
        QCOMPARE(e.helpContext(), help::TableInUse);
    }
    QVERIFY(!t.active());
    ::close(fd);
    t.open();
    QVERIFY(t.active());
}

void TstLocks::writeWhileOtherConnectionWritesRaises_data()
{
    QTest::addColumn<QString>("operation");
    QTest::newRow("insert") << "insert";
    QTest::newRow("edit") << "edit";
    QTest::newRow("delete") << "delete";
    QTest::newRow("transaction") << "transaction";
}

void TstLocks::writeWhileOtherConnectionWritesRaises()
{
    QFETCH(QString, operation);
    testing_support::TestEnv env;
    createContacts();
    Table t(QStringLiteral("rubry"));
    t.open();
    addContacts(t, {{"Rossi", "Mario"}});

    sqlite3* other = nullptr;
    QCOMPARE(sqlite3_open(t.filePath().toUtf8().constData(), &other), SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, "BEGIN IMMEDIATE; UPDATE records SET Nome = 'held'", nullptr,
                          nullptr, nullptr),
             SQLITE_OK);
    try {
        if (operation == "insert") {
            addContacts(t, {{"Verdi", "Carlo"}});
        } else if (operation == "edit") {
            t.edit();
            t.fieldByName("Nome").setValue("Luigi");
            t.post();
        } else if (operation == "delete") {
            t.deleteRecord();
        } else {
            t.startTransaction();
        }
        QFAIL("write went through");
    } catch (const zr::EngineError& e) {
        QCOMPARE(e.helpContext(), help::TableInUse);
    }
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    // Once the other connection is gone the same write succeeds.
    if (operation == "edit") {
        QCOMPARE(t.state(), DataSet::State::Edit); // still editing: the user can retry
        t.post();
        QCOMPARE(t.fieldByName("Nome").asString(), QString("Luigi"));
    } else if (operation == "insert") {
        QCOMPARE(t.recordCount(), 1);
        addContacts(t, {{"Verdi", "Carlo"}});
        QCOMPARE(t.recordCount(), 2);
    } else if (operation == "delete") {
        t.deleteRecord();
        QVERIFY(t.isEmpty());
    } else {
        QVERIFY(!t.inTransaction());
        t.startTransaction();
        t.commit();
    }
}

void TstLocks::journalModeIsDelete()
{
    testing_support::TestEnv env;
    createContacts();
    Table t(QStringLiteral("rubry"));
    t.open();
    addContacts(t, {{"Rossi", "Mario"}});
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(t.filePath().toUtf8().constData(), &db), SQLITE_OK);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &s, nullptr);
    QCOMPARE(sqlite3_step(s), SQLITE_ROW);
    QCOMPARE(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0))),
             QString("delete"));
    sqlite3_finalize(s);
    sqlite3_close(db);
    QVERIFY(!QFile::exists(t.filePath() + "-wal"));
}

QTEST_GUILESS_MAIN(TstLocks)
#include "tst_locks.moc"
