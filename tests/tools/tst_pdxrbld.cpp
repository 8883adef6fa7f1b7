// The table repair tool, run as the program runs it: through the process seam, with the
// command line "<folder>Pdxrbld.exe -Q+ -R1 "/F<folder>"".

#include "engine/DataSet.h"
#include "platform/Desktop.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace {

QString toolPath()
{
    return QDir(qEnvironmentVariable("ZR_TEST_TOOLS")).filePath(QStringLiteral("Pdxrbld.exe"));
}

// A table file with a table "dati" of 50 rows and an index over its text column; small
// enough for table and index to sit in one page each.
void makeTable(const QString& path)
{
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    const char* sql = "create table dati(id integer primary key, nome text);"
                      "create index ixnome on dati(nome);"
                      "with recursive c(x) as (select 1 union all select x+1 from c where x<50)"
                      " insert into dati select x, printf('nome%03d', x) from c;";
    char* err = nullptr;
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &err);
    const QString message = QString::fromUtf8(err ? err : "");
    sqlite3_free(err);
    sqlite3_close(db);
    QVERIFY2(rc == SQLITE_OK, qPrintable(message));
}

int rootPage(const QString& path, const char* name)
{
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "select rootpage from sqlite_master where name = ?", -1, &stmt, nullptr);
    sqlite3_bind_text(stmt, 1, name, -1, SQLITE_STATIC);
    const int page = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int(stmt, 0) : 0;
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return page;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

int pageSize(const QByteArray& bytes)
{
    const int size =
        (static_cast<unsigned char>(bytes[16]) << 8) | static_cast<unsigned char>(bytes[17]);
    return size == 1 ? 65536 : size;
}

enum class Damage { None, IndexEntry, TablePage, NotATable };

// Damages a table file the way a crash or a disk fault would.
void damage(const QString& path, Damage kind)
{
    QByteArray bytes = readAll(path);
    QVERIFY(bytes.size() > 100);
    const int size = pageSize(bytes);
    switch (kind) {
    case Damage::None:
        break;
    case Damage::IndexEntry: {
        // One key of the index no longer matches its row: the index page stays well formed.
        const int page = rootPage(path, "ixnome");
        QVERIFY(page > 1);
        const qsizetype at = bytes.indexOf("nome025", qsizetype(page - 1) * size);
        QVERIFY(at >= 0 && at < qsizetype(page) * size);
        bytes[at + 1] = 'X';
        break;
    }
    case Damage::TablePage: {
        // The page header and first cells of the table's page are overwritten.
        const int page = rootPage(path, "dati");
        QVERIFY(page > 1);
        for (qsizetype i = 0; i < 200; ++i)
            bytes[qsizetype(page - 1) * size + i] = char(0xAB);
        break;
    }
    case Damage::NotATable:
        bytes = QByteArrayLiteral("Archivio di un altro programma\r\n");
        break;
    }
    writeAll(path, bytes);
}

int runTool(const QString& folder, const QString& options = QStringLiteral("-Q+ -R1"))
{
    const QString line =
        QStringLiteral("%1 %2 \"/F%3\"").arg(toolPath(), options, QDir(folder).path() + u'/');
    return platform::QtDesktop().runAndWait(line);
}

QByteArray digest(const QString& path)
{
    return QCryptographicHash::hash(readAll(path), QCryptographicHash::Sha256);
}

} // namespace

class TstPdxrbld : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY2(QFile::exists(toolPath()), qPrintable(toolPath())); }

    void checkAndRepair_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("firstRun");
        QTest::addColumn<int>("secondRun");
        // A problem is reported once; a repaired table is sound at the next run.
        QTest::newRow("healthy") << "Rubry.Db" << int(Damage::None) << 0 << 0;
        QTest::newRow("index entry altered") << "Rubry.Db" << int(Damage::IndexEntry) << 1 << 0;
        QTest::newRow("upper-case extension")
            << "TABEXPORT.DB" << int(Damage::IndexEntry) << 1 << 0;
        QTest::newRow("table page overwritten")
            << "tabexport.db" << int(Damage::TablePage) << 1 << 1;
        QTest::newRow("foreign .db file skipped") << "altro.db" << int(Damage::NotATable) << 0 << 0;
    }
    void checkAndRepair()
    {
        QFETCH(QString, fileName);
        QFETCH(int, kind);
        QFETCH(int, firstRun);
        QFETCH(int, secondRun);
        QTemporaryDir dir;
        makeTable(dir.filePath(QStringLiteral("impostazioni.db"))); // a sound neighbour
        const QString path = dir.filePath(fileName);
        makeTable(path);
        damage(path, Damage(kind));
        const QByteArray foreign = Damage(kind) == Damage::NotATable ? readAll(path) : QByteArray();

        QCOMPARE(runTool(dir.path()), firstRun);
        QCOMPARE(runTool(dir.path()), secondRun);
        if (!foreign.isEmpty())
            QCOMPARE(readAll(path), foreign); // never touched
        QVERIFY(!QFile::exists(path + QStringLiteral("-journal")));
    }

    void checkOnlyLeavesFilesAlone()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Rubry.Db"));
        makeTable(path);
        damage(path, Damage::IndexEntry);
        const QByteArray before = digest(path);
        QCOMPARE(runTool(dir.path(), QStringLiteral("-Q+ -R0")), 1);
        QCOMPARE(digest(path), before);
        QCOMPARE(runTool(dir.path(), QStringLiteral("-Q+ -R0")), 1);
    }

    void emptyFolderIsSound() { QCOMPARE(runTool(QTemporaryDir().path()), 0); }

#ifndef Q_OS_WIN
    // The engine holds a shared flock on each table file it has open.
    void tableHeldByEngineLock()
    {
        QTemporaryDir dir;
        const QString held = dir.filePath(QStringLiteral("Rubry.Db"));
        const QString other = dir.filePath(QStringLiteral("abc.db")); // checked first by name
        makeTable(held);
        makeTable(other);
        damage(other, Damage::IndexEntry);
        const QByteArray otherBefore = digest(other);

        const int fd = ::open(QFile::encodeName(held).constData(), O_RDONLY);
        QVERIFY(fd >= 0);
        QCOMPARE(::flock(fd, LOCK_SH | LOCK_NB), 0);
        const int code = runTool(dir.path());
        ::close(fd);

        QCOMPARE(code, -2);
        QCOMPARE(digest(other), otherBefore); // nothing is touched while a table is in use
        QCOMPARE(runTool(dir.path()), 1);     // free again: the damage is found and repaired
        QCOMPARE(runTool(dir.path()), 0);
    }
#endif

    // The program itself has the table open through its engine.
    void tableOpenInEngine()
    {
        QTemporaryDir dir;
        makeTable(dir.filePath(QStringLiteral("Rubry.Db")));
        {
            engine::Table table(QStringLiteral("Rubry.Db"));
            table.setDatabaseName(dir.path());
            table.open();
            QCOMPARE(runTool(dir.path()), -2);
        }
        QCOMPARE(runTool(dir.path()), 0);
    }

    // Another program holding a write lock through SQLite alone.
    void tableBusyInSqlite()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Rubry.Db"));
        makeTable(path);
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db, "begin exclusive", nullptr, nullptr, nullptr), SQLITE_OK);
        const int code = runTool(dir.path());
        sqlite3_exec(db, "rollback", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        QCOMPARE(code, -2);
        QCOMPARE(runTool(dir.path()), 0);
    }

    void quietPrintsNothing_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("printed");
        QTest::newRow("quiet") << QStringList{"-Q+", "-R1"} << false;
        QTest::newRow("verbose") << QStringList{"-R1"} << true;
    }
    void quietPrintsNothing()
    {
        QFETCH(QStringList, options);
        QFETCH(bool, printed);
        QTemporaryDir dir;
        makeTable(dir.filePath(QStringLiteral("Rubry.Db")));
        QProcess tool;
        tool.start(toolPath(), options << QStringLiteral("/F") + dir.path() + u'/');
        QVERIFY(tool.waitForFinished(60000));
        QCOMPARE(tool.exitCode(), 0);
        const QByteArray out = tool.readAllStandardOutput();
        QCOMPARE(out.contains("Rubry.Db"), printed);
    }

    // The folder as a Windows command line parser hands it over: with a stray quote.
    void strayQuoteInFolder()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Rubry.Db"));
        makeTable(path);
        damage(path, Damage::IndexEntry);
        QProcess tool;
        tool.start(toolPath(), {QStringLiteral("-Q+"), QStringLiteral("-R1"),
                                QStringLiteral("/F") + dir.path() + QStringLiteral("/\"")});
        QVERIFY(tool.waitForFinished(60000));
        QCOMPARE(tool.exitCode(), 1);
        QCOMPARE(runTool(dir.path()), 0);
    }

    void badCommandLine()
    {
        QProcess tool;
        tool.start(toolPath(), {QStringLiteral("-X9")});
        QVERIFY(tool.waitForFinished(60000));
        QCOMPARE(tool.exitCode(), 3);
        QCOMPARE(runTool(QStringLiteral("/nonexistent/zr-folder")), 3);
    }
};

QTEST_GUILESS_MAIN(TstPdxrbld)
#include "tst_pdxrbld.moc"
