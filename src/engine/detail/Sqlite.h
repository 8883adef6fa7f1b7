#pragma once
// Thin RAII wrappers over the SQLite C API. Every failure becomes a zr::EngineError.

#include "engine/Error.h"

#include <QString>
#include <QVariant>
#include <sqlite3.h>

namespace engine::detail {

// Raises an EngineError for a failed SQLite call: busy/locked map to "table in use",
// constraint failures to key violation or required field, anything else to `fallback`.
[[noreturn]] void raiseSqlite(sqlite3* db, int rc, const QString& what, int fallback);

class Stmt
{
public:
    Stmt() = default;
    Stmt(sqlite3* db, const QString& sql, int errorContext);
    ~Stmt();
    Stmt(Stmt&& other) noexcept;
    Stmt& operator=(Stmt&& other) noexcept;
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;

    sqlite3_stmt* get() const { return m_stmt; }
    explicit operator bool() const { return m_stmt != nullptr; }

    void bind(int index, const QVariant& value); // 1-based
    void bindAll(const QVariantList& values, int first = 1);
    // One step: true when a row is available, false when done. Raises on error.
    bool step();
    void reset(); // reset and clear bindings; releases any read lock
    int columnCount() const;
    QVariant column(int i) const;
    qint64 columnInt(int i) const { return sqlite3_column_int64(m_stmt, i); }
    QString columnName(int i) const;
    QString columnDeclType(int i) const;

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
    int m_errorContext = 0;
};

// One connection. Owns the handle; statements must be destroyed first.
class Connection
{
public:
    Connection() = default;
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens a table file (rollback journal). `create` allows a new file.
    void openFile(const QString& path, bool create, bool readOnly = false);
    // Opens a private in-memory database (used by queries, which attach table files).
    void openMemory();
    void close();
    sqlite3* get() const { return m_db; }
    bool isOpen() const { return m_db != nullptr; }

    void exec(const QString& sql, int errorContext);
    qint64 scalarInt(const QString& sql, const QVariantList& params = {});
    // Room for bulk work in one transaction without spilling to the file early (on), or
    // SQLite's default page cache (off, as opened).
    void setBulkCache(bool on);
    // Counter that changes when another connection commits to the file.
    qint64 dataVersion();

private:
    void configure();
    sqlite3* m_db = nullptr;
};

// Milliseconds a write waits for a table held elsewhere before it fails (default 500).
void setBusyTimeout(int ms);
int busyTimeout();

// "name" -> "\"name\"" with inner quotes doubled.
QString quoteIdent(const QString& name);

} // namespace engine::detail
