#include "engine/detail/Sqlite.h"

#include "engine/ErrorCodes.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <atomic>

namespace engine::detail {

namespace {

std::atomic<int> g_busyTimeout{500};

bool isAscii(const char* p, int n)
{
    unsigned char any = 0;
    for (int i = 0; i < n; ++i)
        any |= static_cast<unsigned char>(p[i]);
    return any < 0x80;
}

} // namespace

void setBusyTimeout(int ms)
{
    g_busyTimeout = ms < 0 ? 0 : ms;
}

int busyTimeout()
{
    return g_busyTimeout;
}

QString quoteIdent(const QString& name)
{
    QString out = name;
    out.replace(u'"', QStringLiteral("\"\""));
    return u'"' + out + u'"';
}

void raiseSqlite(sqlite3* db, int rc, const QString& what, int fallback)
{
    const QString detail =
        db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    const int primary = rc & 0xff;
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
        throw zr::EngineError(
            QStringLiteral("The table is in use elsewhere and cannot be changed now (%1).")
                .arg(what),
            help::TableInUse);
    if (primary == SQLITE_CONSTRAINT) {
        if (rc == SQLITE_CONSTRAINT_NOTNULL)
            throw zr::EngineError(QStringLiteral("A required field has no value: %1").arg(detail),
                                  help::RequiredField);
        if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY)
            throw zr::EngineError(QStringLiteral("Key violation: %1").arg(detail),
                                  help::KeyViolation);
    }
    if (primary == SQLITE_READONLY)
        throw zr::EngineError(
            QStringLiteral("The table cannot be written (%1): %2").arg(what, detail),
            help::TableInUse);
    if (primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT || primary == SQLITE_CANTOPEN)
        throw zr::EngineError(QStringLiteral("%1: %2").arg(what, detail), help::OpenFailed);
    throw zr::EngineError(QStringLiteral("%1: %2").arg(what, detail), fallback);
}

// ---- Stmt ----

Stmt::Stmt(sqlite3* db, const QString& sql, int errorContext)
    : m_db(db), m_errorContext(errorContext)
{
    const QByteArray utf8 = sql.toUtf8();
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v3(db, utf8.constData(), int(utf8.size()),
                                      SQLITE_PREPARE_PERSISTENT, &m_stmt, &tail);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        raiseSqlite(db, rc, QStringLiteral("Cannot prepare statement"), errorContext);
    }
}

Stmt::~Stmt()
{
    if (m_stmt)
        sqlite3_finalize(m_stmt);
}

Stmt::Stmt(Stmt&& other) noexcept
    : m_db(other.m_db), m_stmt(other.m_stmt), m_errorContext(other.m_errorContext)
{
    other.m_stmt = nullptr;
}

Stmt& Stmt::operator=(Stmt&& other) noexcept
{
    if (this != &other) {
        if (m_stmt)
            sqlite3_finalize(m_stmt);
        m_db = other.m_db;
        m_stmt = other.m_stmt;
        m_errorContext = other.m_errorContext;
        other.m_stmt = nullptr;
    }
    return *this;
}

void Stmt::bind(int index, const QVariant& value)
{
    int rc = SQLITE_OK;
    if (!value.isValid() || value.isNull()) {
        rc = sqlite3_bind_null(m_stmt, index);
    } else {
        switch (value.typeId()) {
        case QMetaType::Bool:
            rc = sqlite3_bind_int64(m_stmt, index, value.toBool() ? 1 : 0);
            break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Char:
        case QMetaType::UChar:
        case QMetaType::SChar:
            rc = sqlite3_bind_int64(m_stmt, index, value.toLongLong());
            break;
        case QMetaType::ULong:
        case QMetaType::ULongLong:
            rc = sqlite3_bind_int64(m_stmt, index, qint64(value.toULongLong()));
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(m_stmt, index, value.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray b = value.toByteArray();
            rc = sqlite3_bind_blob64(m_stmt, index, b.constData(), sqlite3_uint64(b.size()),
                                     SQLITE_TRANSIENT);
            break;
        }
        case QMetaType::QDate:
            rc = sqlite3_bind_text(m_stmt, index,
                                   value.toDate().toString(Qt::ISODate).toUtf8().constData(), -1,
                                   SQLITE_TRANSIENT);
            break;
        default: {
            const QByteArray s = value.toString().toUtf8();
            rc = sqlite3_bind_text64(m_stmt, index, s.constData(), sqlite3_uint64(s.size()),
                                     SQLITE_TRANSIENT, SQLITE_UTF8);
            break;
        }
        }
    }
    if (rc != SQLITE_OK)
        raiseSqlite(m_db, rc, QStringLiteral("Cannot bind a value"), m_errorContext);
}

void Stmt::bindAll(const QVariantList& values, int first)
{
    for (int i = 0; i < values.size(); ++i)
        bind(first + i, values[i]);
}

bool Stmt::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const int ext = sqlite3_extended_errcode(m_db);
    sqlite3_reset(m_stmt);
    raiseSqlite(m_db, ext, QStringLiteral("Database error"), m_errorContext);
}

void Stmt::reset()
{
    if (m_stmt) {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }
}

int Stmt::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

QVariant Stmt::column(int i) const
{
    switch (sqlite3_column_type(m_stmt, i)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(m_stmt, i)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_stmt, i));
    case SQLITE_TEXT: {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, i));
        const int n = sqlite3_column_bytes(m_stmt, i);
        // Most stored text is plain ASCII, where Latin-1 reads the same and much faster.
        return QVariant(n > 0 && isAscii(p, n) ? QString::fromLatin1(p, n)
                                               : QString::fromUtf8(p, n));
    }
    case SQLITE_BLOB: {
        const auto* p = static_cast<const char*>(sqlite3_column_blob(m_stmt, i));
        return QVariant(QByteArray(p, sqlite3_column_bytes(m_stmt, i)));
    }
    default:
        return QVariant();
    }
}

QString Stmt::columnName(int i) const
{
    return QString::fromUtf8(sqlite3_column_name(m_stmt, i));
}

QString Stmt::columnDeclType(int i) const
{
    const char* t = sqlite3_column_decltype(m_stmt, i);
    return t ? QString::fromUtf8(t) : QString();
}

// ---- Connection ----

Connection::~Connection()
{
    close();
}

void Connection::configure()
{
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, busyTimeout());
    // A misspelt "Field" must be an error, never a string.
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
}

void Connection::openFile(const QString& path, bool create, bool readOnly)
{
    close();
    int flags = readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    if (create && !readOnly)
        flags |= SQLITE_OPEN_CREATE;
    const int rc =
        sqlite3_open_v2(path.toUtf8().constData(), &m_db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString msg = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString();
        close();
        throw zr::EngineError(QStringLiteral("Cannot open table file %1: %2").arg(path, msg),
                              help::OpenFailed);
    }
    configure();
    if (!readOnly) {
        // Rollback journal only: a table file copied while closed is always whole.
        exec(QStringLiteral("PRAGMA journal_mode=DELETE"), help::OpenFailed);
    }
}

void Connection::openMemory()
{
    close();
    const int rc = sqlite3_open_v2(
        ":memory:", &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        close();
        throw zr::EngineError(QStringLiteral("Cannot open the query workspace"), help::Internal);
    }
    configure();
}

void Connection::close()
{
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

void Connection::exec(const QString& sql, int errorContext)
{
    char* err = nullptr;
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        sqlite3_free(err);
        raiseSqlite(m_db, sqlite3_extended_errcode(m_db), QStringLiteral("Database error"),
                    errorContext);
    }
}

qint64 Connection::scalarInt(const QString& sql, const QVariantList& params)
{
    Stmt s(m_db, sql, help::Internal);
    s.bindAll(params);
    return s.step() ? s.columnInt(0) : 0;
}

void Connection::setBulkCache(bool on)
{
    // A large page cache only pays inside a transaction of many writes; for a read
    // straight through a big file (a count) filling fresh memory costs more than it saves.
    exec(on ? QStringLiteral("PRAGMA cache_size=-16384")
            : QStringLiteral("PRAGMA cache_size=-2000"),
         help::Internal);
}

qint64 Connection::dataVersion()
{
    return scalarInt(QStringLiteral("PRAGMA data_version"));
}

} // namespace engine::detail
