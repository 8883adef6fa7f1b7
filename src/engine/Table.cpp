#include "engine/DataSet.h"

#include "engine/ErrorCodes.h"
#include "engine/detail/DataSetImpl.h"
#include "engine/detail/FieldTypes.h"
#include "engine/detail/FileLock.h"
#include "engine/detail/Filter.h"
#include "engine/detail/Readers.h"
#include "engine/detail/Schema.h"
#include "engine/detail/TableCursor.h"
#include "engine/detail/TableFiles.h"

#include <QFile>
#include <QFileInfo>
#include <functional>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace engine {

using namespace detail;

struct Table::TableData
{
    Connection db;
    SharedFileLock lock;
    TableSchema schema;
    TableCursor* cursor = nullptr; // owned by the dataset's row source
    QList<FilterTerm> terms;       // parsed filter
    QString path;
    QString canonical;
    bool inTransaction = false;
    QString insertSql; // statements of this table, made once per open
    QString updateSql;
    QString deleteSql;
    void makeStatements();
};

void Table::TableData::makeStatements()
{
    QStringList cols;
    QStringList marks;
    QStringList sets;
    for (int i = 0; i < schema.fields.size(); ++i) {
        if (i == schema.autoIncColumn)
            continue;
        cols << quoteIdent(schema.fields[i].name);
        marks << QStringLiteral("?");
        sets << quoteIdent(schema.fields[i].name) + QStringLiteral(" = ?");
    }
    const QString table = quoteIdent(schema.table);
    insertSql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                    .arg(table, cols.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
    updateSql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                    .arg(table, sets.join(QStringLiteral(", ")));
    deleteSql = QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(table);
}

namespace {

// Binds the values, steps once and leaves the statement reset, also on error.
// True when the step produced a row.
bool runStatement(Stmt& s, const QVariantList& params)
{
    bool row = false;
    try {
        s.bindAll(params);
        row = s.step();
    } catch (...) {
        s.reset();
        throw;
    }
    s.reset();
    return row;
}

[[noreturn]] void notFound(const QString& name)
{
    throw zr::EngineError(QStringLiteral("Table '%1' does not exist.").arg(name),
                          help::TableNotFound);
}

// The file of a table that must exist; raises when there is none.
QString existingTableFile(const QString& databaseName, const QString& tableName)
{
    const QString path = findTableFile(tableFolder(databaseName), tableName);
    if (path.isEmpty())
        notFound(tableName);
    return path;
}

// Runs `work` on a writable connection of its own to a table file no cursor here has open.
void writeStoredTable(const QString& path, const std::function<void(Connection&)>& work)
{
    releaseReaders(canonicalTablePath(path));
    Connection db;
    db.openFile(path, false);
    work(db);
}

// Refuses to delete or rename a file that a cursor has open (it holds a shared lock).
void checkNotInUse(const QString& path)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd); // closing also drops the lock
    if (!free)
        throw zr::EngineError(
            QStringLiteral("The table %1 is in use.").arg(QFileInfo(path).fileName()),
            help::TableInUse);
#else
    Q_UNUSED(path);
#endif
}

void removeTableFile(const QString& path)
{
    if (QFile::exists(path) && !QFile::remove(path))
        throw zr::EngineError(QStringLiteral("Cannot delete the table file %1.").arg(path),
                              help::FileError);
    for (const QString& extra : companionFiles(path))
        QFile::remove(extra);
}

} // namespace

Table::Table(QObject* parent) : DataSet(parent), t(std::make_unique<TableData>()) {}

Table::Table(const QString& tableName, QObject* parent) : Table(parent)
{
    m_tableName = tableName;
}

Table::~Table()
{
    blockSignals(true);
    try {
        close();
    } catch (...) {
    }
}

bool Table::exists() const
{
    return !findTableFile(tableFolder(m_databaseName), m_tableName).isEmpty();
}

QString Table::filePath() const
{
    return tableFilePath(tableFolder(m_databaseName), m_tableName);
}

void Table::createTable()
{
    if (active())
        throw zr::EngineError(QStringLiteral("Cannot create a table while it is open."),
                              help::WrongState);
    if (m_tableName.trimmed().isEmpty())
        throw zr::EngineError(QStringLiteral("The table has no name."), help::BadDefinition);
    const QString folder = tableFolder(m_databaseName);
    const QString existing = findTableFile(folder, m_tableName);
    if (!existing.isEmpty()) {
        checkNotInUse(existing);
        removeTableFile(existing);
    }
    const QString path = folder + withExtension(m_tableName); // keeps the case it was given
    try {
        Connection db;
        db.openFile(path, true);
        db.exec(QStringLiteral("BEGIN"), help::BadDefinition);
        createSchema(db, fieldDefs, indexDefs);
        db.exec(QStringLiteral("COMMIT"), help::BadDefinition);
    } catch (...) {
        removeTableFile(path);
        throw;
    }
}

void Table::deleteTable()
{
    if (active())
        throw zr::EngineError(QStringLiteral("Cannot delete a table while it is open."),
                              help::WrongState);
    const QString path = existingTableFile(m_databaseName, m_tableName);
    checkNotInUse(path);
    removeTableFile(path);
}

void Table::renameTable(const QString& newName)
{
    if (active())
        throw zr::EngineError(QStringLiteral("Cannot rename a table while it is open."),
                              help::WrongState);
    const QString folder = tableFolder(m_databaseName);
    const QString path = findTableFile(folder, m_tableName);
    if (path.isEmpty())
        notFound(m_tableName);
    const QString target = findTableFile(folder, newName);
    const QString newPath =
        QFileInfo(path).absolutePath() + u'/' + QFileInfo(withExtension(newName)).fileName();
    if (!target.isEmpty() && canonicalTablePath(target) != canonicalTablePath(path))
        throw zr::EngineError(QStringLiteral("Table '%1' already exists.").arg(newName),
                              help::TableExists);
    checkNotInUse(path);
    if (path != newPath) {
        if (!QFile::rename(path, newPath))
            throw zr::EngineError(
                QStringLiteral("Cannot rename table '%1' to '%2'.").arg(m_tableName, newName),
                help::FileError);
        // A journal left by an interrupted write belongs to the file: it moves with it.
        const QString journal = path + QStringLiteral("-journal");
        if (QFile::exists(journal))
            QFile::rename(journal, newPath + QStringLiteral("-journal"));
    }
    m_tableName = newName;
}

void Table::emptyTable()
{
    if (active()) {
        checkBrowseMode();
        releaseReaders(t->canonical);
        t->db.exec(QStringLiteral("DELETE FROM ") + quoteIdent(t->schema.table), help::Internal);
        t->cursor->invalidate();
        moveTo(0);
        d->eof = d->bof = true;
        Q_EMIT reset();
        Q_EMIT currentChanged();
        return;
    }
    writeStoredTable(existingTableFile(m_databaseName, m_tableName), [](Connection& db) {
        db.exec(QStringLiteral("DELETE FROM ") + quoteIdent(readSchema(db).table), help::Internal);
    });
}

FieldDefs Table::storedFields() const
{
    if (active())
        return t->schema.fields;
    const QString path = existingTableFile(m_databaseName, m_tableName);
    Connection db;
    db.openFile(path, false, true);
    return readSchema(db).fields;
}

IndexDefs Table::storedIndexes() const
{
    const QString path =
        active() ? t->path : findTableFile(tableFolder(m_databaseName), m_tableName);
    if (path.isEmpty())
        notFound(m_tableName);
    Connection db;
    db.openFile(path, false, true);
    return readSchema(db).indexes;
}

void Table::readDefinitions()
{
    fieldDefs = storedFields();
    indexDefs = storedIndexes();
}

void Table::ensureHelperIndex(const QString& field)
{
    if (active()) {
        releaseReaders(t->canonical);
        detail::ensureHelperIndex(t->db, t->schema, field);
        return;
    }
    writeStoredTable(existingTableFile(m_databaseName, m_tableName), [&field](Connection& db) {
        detail::ensureHelperIndex(db, readSchema(db), field);
    });
}

bool Table::containsValue(const QString& field, const QVariant& value)
{
    checkActive();
    const int col = t->schema.columnIndex(field);
    if (col < 0)
        throw zr::EngineError(QStringLiteral("Field '%1' not found.").arg(field),
                              help::FieldNotFound);
    const FieldDef& def = t->schema.fields[col];
    QVariant v;
    try {
        v = toStorage(def, value);
    } catch (const zr::EngineError&) {
        return false;
    }
    const QString name = quoteIdent(def.name);
    Stmt& s = t->cursor->prepared(
        QStringLiteral("SELECT 1 FROM %1 WHERE %2 %3 LIMIT 1")
            .arg(quoteIdent(t->schema.table), name,
                 v.isValid() ? QStringLiteral("= ?") : QStringLiteral("IS NULL")));
    return runStatement(s, v.isValid() ? QVariantList{v} : QVariantList());
}

// ---- open / close ----

void Table::open()
{
    if (active())
        return;
    const QString path = existingTableFile(m_databaseName, m_tableName);
    QList<FilterTerm> terms = parseFilter(m_filter);
    try {
        t->lock.acquire(path);
        t->db.openFile(path, false);
        t->schema = readSchema(t->db);
        t->makeStatements();
        const FilterSql filter = m_filtered ? filterSql(terms, t->schema) : FilterSql();
        auto cursor = std::make_unique<TableCursor>(t->db, t->schema);
        cursor->setFilter(filter);
        t->cursor = cursor.get();
        t->terms = terms;
        t->path = path;
        t->canonical = canonicalTablePath(path);
        t->inTransaction = false;
        beginOpen(t->schema.fields, std::move(cursor));
    } catch (...) {
        d->src.reset();
        t->cursor = nullptr;
        t->db.close();
        t->lock.release();
        m_state = State::Inactive;
        throw;
    }
}

void Table::close()
{
    if (!active())
        return;
    if (m_state == State::Edit || m_state == State::Insert)
        cancel();
    if (t->inTransaction) {
        try {
            t->db.exec(QStringLiteral("ROLLBACK"), help::Internal);
        } catch (const zr::EngineError&) {
        }
        t->inTransaction = false;
    }
    endClose();
    t->cursor = nullptr;
    t->db.close();
    t->lock.release();
}

// ---- filter ----

void Table::applyFilter(const QString& text, bool on, const QList<QPair<QString, QString>>* values)
{
    QList<FilterTerm> terms = values ? filterFromValues(*values) : parseFilter(text);
    const QString newText = values ? filterText(terms) : text;
    if (active()) {
        const FilterSql sql = on ? filterSql(terms, t->schema) : FilterSql();
        checkBrowseMode();
        t->cursor->setFilter(sql);
        moveTo(0);
        d->bof = true;
        d->eof = !d->hasCur;
    }
    t->terms = terms;
    m_filter = newText;
    m_filtered = on;
    if (active()) {
        Q_EMIT reset();
        Q_EMIT currentChanged();
    }
}

void Table::setFilter(const QString& filter)
{
    applyFilter(filter, m_filtered, nullptr);
}

void Table::setFiltered(bool on)
{
    applyFilter(m_filter, on, nullptr);
}

void Table::setFilterValues(const QList<QPair<QString, QString>>& terms)
{
    applyFilter(QString(), m_filtered, &terms);
}

// ---- transactions ----

void Table::startTransaction()
{
    checkActive();
    if (t->inTransaction)
        throw zr::EngineError(QStringLiteral("A transaction is already active."), help::WrongState);
    t->db.setBulkCache(true);
    try {
        t->db.exec(QStringLiteral("BEGIN IMMEDIATE"), help::Internal);
    } catch (...) {
        t->db.setBulkCache(false);
        throw;
    }
    t->inTransaction = true;
}

void Table::commit()
{
    checkActive();
    if (!t->inTransaction)
        throw zr::EngineError(QStringLiteral("No transaction is active."), help::WrongState);
    releaseReaders(t->canonical);
    t->db.exec(QStringLiteral("COMMIT"), help::Internal);
    t->inTransaction = false;
    t->db.setBulkCache(false);
}

void Table::rollback()
{
    checkActive();
    if (!t->inTransaction)
        throw zr::EngineError(QStringLiteral("No transaction is active."), help::WrongState);
    if (m_state == State::Edit || m_state == State::Insert)
        cancel();
    t->db.exec(QStringLiteral("ROLLBACK"), help::Internal);
    t->inTransaction = false;
    t->db.setBulkCache(false);
    t->cursor->invalidate();
    d->rowKnown = false;
    resolveRow();
    d->eof = d->bof = !d->hasCur;
    Q_EMIT reset();
    Q_EMIT currentChanged();
}

bool Table::inTransaction() const
{
    return t->inTransaction;
}

// ---- editing ----

void Table::checkWritable()
{
    checkActive();
}

void Table::append()
{
    checkWritable();
    checkBrowseMode();
    d->savedRow = d->row;
    d->savedRowKnown = d->rowKnown;
    d->savedCur = d->cur;
    d->savedHasCur = d->hasCur;
    d->buf = QVariantList();
    d->buf.reserve(d->defs.size());
    for (int i = 0; i < d->defs.size(); ++i)
        d->buf << QVariant();
    d->modified = false;
    setState(State::Insert);
    Q_EMIT currentChanged();
}

void Table::insertRecord(const QVariantList& values)
{
    append();
    try {
        for (int i = 0; i < values.size() && i < d->defs.size(); ++i) {
            if (d->defs[i].kind == FieldKind::AutoInc)
                continue;
            d->buf[i] = toStorage(d->defs[i], values[i]);
        }
        d->modified = true;
        post();
    } catch (...) {
        cancel();
        throw;
    }
}

void Table::edit()
{
    checkWritable();
    if (m_state == State::Edit || m_state == State::Insert)
        return;
    refreshSource();
    resolveRow();
    if (!d->hasCur) {
        append(); // editing an empty set begins a new record
        return;
    }
    d->buf = d->cur.values;
    d->modified = false;
    setState(State::Edit);
    Q_EMIT currentChanged();
}

void Table::post()
{
    checkActive();
    if (m_state != State::Edit && m_state != State::Insert)
        throw zr::EngineError(QStringLiteral("Dataset not in edit or insert mode."),
                              help::WrongState);
    const TableSchema& schema = t->schema;
    QVariantList values = d->buf;
    for (int i = 0; i < schema.fields.size(); ++i) {
        const FieldDef& f = schema.fields[i];
        if (f.kind == FieldKind::String && f.size > 0 && values[i].typeId() == QMetaType::QString &&
            values[i].toString().size() > f.size)
            values[i] = values[i].toString().left(f.size); // a string is cut to its size
        const bool isNull = !values[i].isValid() || values[i].isNull();
        if (isNull && f.kind != FieldKind::AutoInc && (f.required || schema.keyColumns.contains(i)))
            throw zr::EngineError(QStringLiteral("Field '%1' must have a value.").arg(f.name),
                                  help::RequiredField);
    }
    releaseReaders(t->canonical);
    Row row;
    if (m_state == State::Insert) {
        QVariantList params;
        params.reserve(schema.fields.size());
        for (int i = 0; i < schema.fields.size(); ++i)
            if (i != schema.autoIncColumn)
                params << values[i];
        runStatement(t->cursor->prepared(t->insertSql), params);
        row.rowid = sqlite3_last_insert_rowid(t->db.get());
        if (schema.autoIncColumn >= 0)
            values[schema.autoIncColumn] = QVariant(row.rowid);
    } else {
        QVariantList params;
        for (int i = 0; i < schema.fields.size(); ++i)
            if (i != schema.autoIncColumn)
                params << values[i];
        params << QVariant(d->cur.rowid);
        runStatement(t->cursor->prepared(t->updateSql), params);
        if (sqlite3_changes(t->db.get()) == 0)
            throw zr::EngineError(QStringLiteral("The record was deleted by another user."),
                                  help::WrongState);
        row.rowid = d->cur.rowid;
    }
    row.values = values;
    t->cursor->fillKey(row);
    const bool filtered = m_filtered && !t->terms.isEmpty();
    const bool inSet = !filtered || t->cursor->inSet(row.rowid);
    if (m_state == State::Insert)
        t->cursor->noteInserted(inSet);
    else if (filtered)
        t->cursor->invalidate();
    else
        t->cursor->noteInserted(false); // rows may have moved: drop cached pages
    d->cur = row;
    d->hasCur = true;
    d->rowKnown = false;
    if (!inSet) {
        // The record left the set: the cursor stands on the one that takes its place.
        resolveRow();
    }
    d->eof = d->bof = !d->hasCur;
    d->modified = false;
    d->buf.clear();
    setState(State::Browse);
    Q_EMIT reset();
    Q_EMIT currentChanged();
}

void Table::cancel()
{
    if (m_state == State::Edit) {
        d->buf.clear();
        d->modified = false;
        setState(State::Browse);
        Q_EMIT currentChanged();
    } else if (m_state == State::Insert) {
        d->buf.clear();
        d->modified = false;
        d->row = d->savedRow;
        d->rowKnown = d->savedRowKnown;
        d->cur = d->savedCur;
        d->hasCur = d->savedHasCur;
        setState(State::Browse);
        Q_EMIT currentChanged();
    }
}

void Table::deleteRecord()
{
    checkWritable();
    if (m_state == State::Insert) {
        cancel();
        return;
    }
    if (m_state == State::Edit)
        cancel();
    refreshSource();
    resolveRow();
    if (!d->hasCur)
        throw zr::EngineError(QStringLiteral("Cannot perform this operation on an empty dataset."),
                              help::WrongState);
    releaseReaders(t->canonical);
    runStatement(t->cursor->prepared(t->deleteSql), {QVariant(d->cur.rowid)});
    const Row deleted = d->cur;
    const int position = d->row;
    t->cursor->noteDeleted();
    if (const Row* after = t->cursor->rowAfterDelete(position, deleted)) {
        d->cur = *after;
        d->row = position;
        d->hasCur = true;
        d->eof = false;
    } else {
        if (position <= 0 || !moveTo(position - 1)) {
            d->hasCur = false;
            d->row = -1;
        }
        d->eof = true;
    }
    d->rowKnown = true;
    d->bof = !d->hasCur;
    Q_EMIT reset();
    Q_EMIT currentChanged();
}

} // namespace engine
