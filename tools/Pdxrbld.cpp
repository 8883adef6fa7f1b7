// Pdxrbld: checks and repairs the table files of a folder.
//
//   Pdxrbld.exe [-Q+|-Q-] [-R1|-R0] "/F<folder>"
//
//   -Q+  quiet: print nothing (the program runs it so); without it each table is reported.
//   -R1  repair: rebuild the indexes (REINDEX) and compact (VACUUM) every table; -R0 checks only.
//   /F   the folder whose table files (*.db, any case) are checked; default: the tool's folder.
//
// Exit status: 0 every table is sound; 1 a table had a problem (repaired or not);
// -2 a table is in use by another program (nothing was checked); 3 bad command line or folder.
//
// A table file in use: the program and its table engine hold a shared lock (flock) on every
// table file they have open. The tool takes an exclusive lock on all table files first and
// keeps it until it is done, so nobody opens a table while it is being rebuilt; a lock it
// cannot take, or SQLite reporting a busy file, means "in use".

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <sqlite3.h>

#include <cstdio>
#include <vector>

#ifndef Q_OS_WIN
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace {

constexpr int kExitOk = 0;
constexpr int kExitProblem = 1;
constexpr int kExitInUse = -2;
constexpr int kExitUsage = 3;

struct Options
{
    bool quiet = false;
    bool repair = false;
    QString folder;
};

bool g_quiet = false;

void say(const QString& text)
{
    if (!g_quiet)
        std::fprintf(stdout, "%s\n", text.toLocal8Bit().constData());
}

void usage()
{
    std::fprintf(stderr, "uso: Pdxrbld.exe [-Q+|-Q-] [-R1|-R0] \"/F<cartella>\"\n");
}

// A table file: a *.db file that starts with the SQLite header. Journals (-journal, -wal,
// -shm) never end with ".db"; files of other programs that happen to end so are skipped.
bool isTableFile(const QFileInfo& info)
{
    if (!info.isFile() || !info.fileName().endsWith(QLatin1String(".db"), Qt::CaseInsensitive))
        return false;
    QFile file(info.filePath());
    if (!file.open(QIODevice::ReadOnly))
        return true; // unreadable: let the check report it
    static const QByteArray header("SQLite format 3\0", 16);
    return file.read(16) == header;
}

// Holds the exclusive lock on one table file for the tool's whole run.
class FileLock
{
public:
    explicit FileLock(const QString& path) : m_path(path) {}
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    FileLock(FileLock&& other) noexcept : m_path(other.m_path), m_fd(other.m_fd)
    {
        other.m_fd = -1;
    }
    ~FileLock() { release(); }

    enum class Result { Locked, InUse, Failed };

    Result acquire()
    {
#ifndef Q_OS_WIN
        const QByteArray native = QFile::encodeName(m_path);
        m_fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
        if (m_fd < 0)
            return Result::Failed;
        if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            const int err = errno;
            ::close(m_fd);
            m_fd = -1;
            return err == EWOULDBLOCK ? Result::InUse : Result::Failed;
        }
#endif
        return Result::Locked;
    }

    void release()
    {
#ifndef Q_OS_WIN
        if (m_fd >= 0) {
            ::close(m_fd);
            m_fd = -1;
        }
#endif
    }

private:
    QString m_path;
    int m_fd = -1;
};

bool isBusy(int rc)
{
    const int primary = rc & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

// Outcome of one step on one table.
enum class Outcome { Sound, Problem, InUse };

class Connection
{
public:
    ~Connection()
    {
        if (m_db)
            sqlite3_close_v2(m_db);
    }
    int open(const QString& path)
    {
        const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db,
                                       SQLITE_OPEN_READWRITE, nullptr);
        if (rc == SQLITE_OK)
            sqlite3_extended_result_codes(m_db, 1);
        return rc;
    }
    sqlite3* db() const { return m_db; }
    QString error() const
    {
        return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("out of memory");
    }

    // Runs a statement, collecting the first column of its rows.
    int run(const char* sql, QStringList* rows = nullptr)
    {
        sqlite3_stmt* stmt = nullptr;
        int rc = sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr);
        if (rc != SQLITE_OK) {
            sqlite3_finalize(stmt);
            return rc;
        }
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            if (rows) {
                const unsigned char* text = sqlite3_column_text(stmt, 0);
                rows->append(QString::fromUtf8(text ? reinterpret_cast<const char*>(text) : ""));
            }
        }
        sqlite3_finalize(stmt);
        return rc == SQLITE_DONE ? SQLITE_OK : rc;
    }

private:
    sqlite3* m_db = nullptr;
};

// integrity_check: Sound when it answers "ok"; the report lines go to problems.
Outcome checkIntegrity(Connection& conn, QStringList& problems)
{
    QStringList rows;
    const int rc = conn.run("PRAGMA integrity_check", &rows);
    if (isBusy(rc))
        return Outcome::InUse;
    if (rc != SQLITE_OK) {
        problems << conn.error();
        return Outcome::Problem;
    }
    if (rows == QStringList{QStringLiteral("ok")})
        return Outcome::Sound;
    problems << rows;
    return Outcome::Problem;
}

Outcome processTable(const QString& path, bool repair)
{
    const QString name = QFileInfo(path).fileName();
    Connection conn;
    int rc = conn.open(path);
    if (isBusy(rc))
        return Outcome::InUse;
    if (rc != SQLITE_OK) {
        say(QStringLiteral("%1: impossibile aprire la tabella (%2)").arg(name, conn.error()));
        return Outcome::Problem;
    }

    QStringList problems;
    const Outcome first = checkIntegrity(conn, problems);
    if (first == Outcome::InUse)
        return first;
    if (first == Outcome::Problem) {
        say(QStringLiteral("%1: errori trovati:").arg(name));
        for (const QString& line : problems.mid(0, 10))
            say(QStringLiteral("    ") + line);
    }
    if (!repair) {
        if (first == Outcome::Sound)
            say(QStringLiteral("%1: integra").arg(name));
        return first;
    }

    for (const char* sql : {"REINDEX", "VACUUM"}) {
        rc = conn.run(sql);
        if (isBusy(rc))
            return Outcome::InUse;
        if (rc != SQLITE_OK) {
            say(QStringLiteral("%1: %2 non riuscito (%3)")
                    .arg(name, QString::fromLatin1(sql), conn.error()));
            return Outcome::Problem;
        }
    }

    QStringList after;
    const Outcome second = checkIntegrity(conn, after);
    if (second == Outcome::InUse)
        return second;
    if (first == Outcome::Sound && second == Outcome::Sound) {
        say(QStringLiteral("%1: integra, indici ricostruiti e tabella compattata").arg(name));
        return Outcome::Sound;
    }
    if (second == Outcome::Sound)
        say(QStringLiteral("%1: riparata (indici ricostruiti, tabella compattata)").arg(name));
    else
        say(QStringLiteral("%1: non riparabile").arg(name));
    return Outcome::Problem;
}

bool parse(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg.size() >= 2 && arg.startsWith(u'"') && arg.endsWith(u'"'))
            arg = arg.mid(1, arg.size() - 2);
        const QString upper = arg.toUpper();
        if (upper == QLatin1String("-Q+") || upper == QLatin1String("-Q"))
            options.quiet = true;
        else if (upper == QLatin1String("-Q-"))
            options.quiet = false;
        else if (upper == QLatin1String("-R1") || upper == QLatin1String("-R"))
            options.repair = true;
        else if (upper == QLatin1String("-R0"))
            options.repair = false;
        else if (upper.startsWith(QLatin1String("/F")) || upper.startsWith(QLatin1String("-F"))) {
            // On Windows "/FC:\Dati\" arrives as /FC:\Dati" (the backslash escapes the
            // closing quote): a stray quote is no part of a folder name.
            options.folder = arg.mid(2);
            while (options.folder.endsWith(u'"'))
                options.folder.chop(1);
            while (options.folder.startsWith(u'"'))
                options.folder.remove(0, 1);
        } else
            return false;
    }
    return true;
}

QString toolFolder(const char* argv0)
{
    const QFileInfo self(QFile::decodeName(argv0));
    return self.absolutePath();
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!parse(argc, argv, options)) {
        usage();
        return kExitUsage;
    }
    g_quiet = options.quiet;
    if (options.folder.isEmpty())
        options.folder = toolFolder(argv[0]);

    const QDir folder(options.folder);
    if (!folder.exists()) {
        if (!g_quiet)
            std::fprintf(stderr, "cartella inesistente: %s\n", options.folder.toLocal8Bit().data());
        return kExitUsage;
    }

    std::vector<QString> tables;
    const QFileInfoList entries =
        folder.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QFileInfo& info : entries) {
        if (isTableFile(info))
            tables.push_back(info.absoluteFilePath());
    }

    // Every table is locked before any is touched: a table in use stops the whole run.
    std::vector<FileLock> locks;
    locks.reserve(tables.size());
    bool problem = false;
    for (const QString& path : tables) {
        locks.emplace_back(path);
        switch (locks.back().acquire()) {
        case FileLock::Result::Locked:
            break;
        case FileLock::Result::InUse:
            say(QStringLiteral("%1: tabella in uso, controllo non eseguito")
                    .arg(QFileInfo(path).fileName()));
            return kExitInUse;
        case FileLock::Result::Failed:
            problem = true; // the check below reports why it cannot be opened
            break;
        }
    }

    for (const QString& path : tables) {
        switch (processTable(path, options.repair)) {
        case Outcome::Sound:
            break;
        case Outcome::Problem:
            problem = true;
            break;
        case Outcome::InUse:
            say(QStringLiteral("%1: tabella in uso, controllo interrotto")
                    .arg(QFileInfo(path).fileName()));
            return kExitInUse;
        }
    }
    if (tables.empty())
        say(QStringLiteral("nessuna tabella in %1").arg(QDir::toNativeSeparators(folder.path())));
    return problem ? kExitProblem : kExitOk;
}
