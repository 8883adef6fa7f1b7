#pragma once
// Cursors of the table engine: a DataSet is a positioned, navigable set of records.
// Table (one table file, writable, with an optional filter) and Query (a read-only
// SELECT in the engine's dialect) are its two kinds. No widget code lives here: bound
// controls and grid models listen to the signals.
//
// Record numbers count from 1 within the current (filtered, ordered) set. Every failure
// raises zr::EngineError with a message and a numeric help context.

#include "engine/Error.h"
#include "engine/Fields.h"

#include <QDateTime>
#include <QObject>
#include <QVariant>
#include <memory>

namespace engine {

namespace detail {
class RowSource;
}

class DataSet;

// One field of a dataset's current record. Owned by the dataset; valid while it is open.
class Field
{
public:
    Field(DataSet* owner, int index, FieldDef def);

    const QString& name() const { return m_def.name; }
    FieldKind kind() const { return m_def.kind; }
    int size() const { return m_def.size; }
    bool required() const { return m_def.required; }
    int index() const { return m_index; }
    // Characters a bound control or grid column shows by default.
    int displayWidth() const;

    bool isNull() const;
    QVariant value() const;
    QString asString() const; // null reads as ""
    qint64 asInteger() const; // null reads as 0
    double asFloat() const;
    QDateTime asDateTime() const;
    bool asBoolean() const;

    // Writing needs the dataset in Edit or Insert state.
    void setValue(const QVariant& value);
    void setString(const QString& value) { setValue(value); }
    void clear() { setValue(QVariant()); }

private:
    DataSet* m_owner;
    int m_index;
    FieldDef m_def;
};

class DataSet : public QObject
{
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    explicit DataSet(QObject* parent = nullptr);
    ~DataSet() override;

    // Folder of the table files; empty means the application folder.
    QString databaseName() const { return m_databaseName; }
    void setDatabaseName(const QString& folder) { m_databaseName = folder; }

    virtual void open();
    virtual void close();
    bool active() const { return m_state != State::Inactive; }
    void setActive(bool on) { on ? open() : close(); }
    State state() const { return m_state; }

    // Navigation over the current set. A pending edit is posted first when it changed
    // something, cancelled otherwise. eof() is true after next() past the last record,
    // after last(), or on an empty set; bof() likewise after prior() before the first
    // record, after first(), or on an empty set.
    void first();
    void next();
    void prior();
    void last();
    bool eof() const;
    bool bof() const;
    bool isEmpty();
    int recordCount(); // records of the (filtered) set
    int recNo();       // 1-based; 0 on an empty set or while inserting
    void setRecNo(int recNo);

    // Fields of the current record.
    int fieldCount() const;
    Field& field(int index);
    Field& fieldByName(const QString& name); // regardless of case; raises when missing
    Field* findField(const QString& name);   // regardless of case; nullptr when missing
    QStringList fieldNames() const;

    // Editing (Table only; a Query raises).
    virtual void append(); // begin inserting a blank record
    void insert() { append(); }
    virtual void insertRecord(const QVariantList& values); // whole record, field order, posted
    virtual void edit(); // on an empty set this begins an insertion
    virtual void post(); // strings cut to their size; auto-increment numbered
    virtual void cancel();
    virtual void deleteRecord();
    void setFieldValue(const QString& name, const QVariant& value)
    {
        fieldByName(name).setValue(value);
    }

    // Random access for grids: the value at (row, column), rows from 0, without moving the
    // cursor. Rows are fetched in pages, so a grid over a very large set stays fast.
    QVariant valueAt(int row, int column);
    // A value as a grid or bound control shows it (dates dd/MM/yyyy, booleans True/False).
    static QString displayText(const QVariant& value);
    // The field definitions of the open dataset.
    FieldDefs fieldDefsOfSet() const;
    // True while an edit or insert holds changes not yet posted.
    bool modified() const;

Q_SIGNALS:
    void opened();
    void closed();
    void reset();          // set changed as a whole (filter, refresh, delete, post)
    void currentChanged(); // cursor moved or current record's values changed
    void stateChanged(engine::DataSet::State state);

protected:
    struct Impl;
    std::unique_ptr<Impl> d;
    State m_state = State::Inactive;
    QString m_databaseName;

    friend class Field;
    void setState(State s);
    void checkActive() const;
    void checkBrowseMode();
    // Makes the row at `position` current; false when there is none.
    bool moveTo(int position);
    // Finds the position of the current row when it is not known.
    void resolveRow();
    // Called before the cursor moves or the set is re-read.
    void refreshSource();
    void setStoredValue(int index, const QVariant& value);
    void beginOpen(const FieldDefs& defs, std::unique_ptr<detail::RowSource> source);
    void endClose();
    [[noreturn]] void readOnly() const;
};

class Table : public DataSet
{
    Q_OBJECT
public:
    explicit Table(QObject* parent = nullptr);
    Table(const QString& tableName, QObject* parent = nullptr);
    ~Table() override;

    // File name of the table ("Rubry.Db"); found regardless of case.
    QString tableName() const { return m_tableName; }
    void setTableName(const QString& name) { m_tableName = name; }

    // Declaration used by createTable(); also filled by readDefinitions().
    FieldDefs fieldDefs;
    IndexDefs indexDefs;

    bool exists() const;      // is there a file of this name (any case)?
    QString filePath() const; // the actual file, or where a new one goes
    void createTable();       // from fieldDefs/indexDefs, replacing a table of that name
    void deleteTable();
    void renameTable(const QString& newName);
    void emptyTable(); // delete every record
    // Reads back the stored structure into fieldDefs and indexDefs.
    void readDefinitions();
    FieldDefs storedFields() const;
    IndexDefs storedIndexes() const;

    // Filter: terms "Field = 'value'" joined by "and"; a value of two or more characters
    // ending in "*" matches as a case-sensitive prefix; empty passes all.
    QString filter() const { return m_filter; }
    void setFilter(const QString& filter);
    bool filtered() const { return m_filtered; }
    void setFiltered(bool on);
    // Filter from literal values: field name -> value (a value of two or more characters
    // ending in "*" is a prefix). Values are matched literally, whatever characters they
    // hold ("D'Amico" is fine); filter() then reads back as the equivalent text, with
    // quotes doubled. Like setFilter(), it applies while filtered() is on.
    void setFilterValues(const QList<QPair<QString, QString>>& terms);

    // Bulk work in one transaction: everything between begin and commit is one unit.
    void startTransaction();
    void commit();
    void rollback();
    bool inTransaction() const;

    // A private index over one field for the caller's own lookups (the exchange-file
    // import keeps one on Mail). Never reported by storedIndexes() nor compared.
    void ensureHelperIndex(const QString& field);
    // Whether a record with this value in `field` exists (the filter is not applied).
    // Runs on the table's own connection, so it sees records posted inside an open
    // transaction too.
    bool containsValue(const QString& field, const QVariant& value);

    void open() override;
    void close() override;
    void append() override;
    void insertRecord(const QVariantList& values) override;
    void edit() override;
    void post() override;
    void cancel() override;
    void deleteRecord() override;

private:
    struct TableData;
    std::unique_ptr<TableData> t;
    void applyFilter(const QString& text, bool on, const QList<QPair<QString, QString>>* values);
    void checkWritable();
    QString m_tableName;
    QString m_filter;
    bool m_filtered = false;
};

class Query : public DataSet
{
    Q_OBJECT
public:
    explicit Query(QObject* parent = nullptr);
    ~Query() override;

    // The dialect: select * | field list | max(field) from table[, table...]
    // [where a = 'x' and b >= "12/31/2001" ...] [order by f[, g]]
    // Table names with or without ".db"; Table.Db."Field" references. Read-only: any
    // text that is not a single SELECT is refused with an engine error.
    QString sql() const { return m_sql; }
    void setSql(const QString& sql) { m_sql = sql; }
    // A table read without ORDER BY comes in its own order: key order for a keyed table,
    // insertion order otherwise. The result is read as the cursor moves and kept: it is
    // the state of the files when the query was opened (records posted later, or inside
    // another cursor's open transaction, are not in it).
    // Values bound to ":name" or "?" placeholders, in order.
    void setParams(const QVariantList& params) { m_params = params; }
    // A forward-only query keeps no read rows: a pass straight through a large result
    // (first(), then next() to eof()) holds one record at a time. Moving back before
    // the current record (prior(), first() after next(), a lower setRecNo()) raises an
    // engine error. Set before open().
    bool forwardOnly() const { return m_forwardOnly; }
    void setForwardOnly(bool on) { m_forwardOnly = on; }

    void open() override;
    void close() override;

private:
    struct QueryData;
    std::unique_ptr<QueryData> q;
    QString m_sql;
    QVariantList m_params;
    bool m_forwardOnly = false;
};

} // namespace engine
