#include "engine/DataSet.h"

#include "engine/ErrorCodes.h"
#include "engine/detail/DataSetImpl.h"
#include "engine/detail/Dialect.h"
#include "engine/detail/FieldTypes.h"
#include "engine/detail/FileLock.h"
#include "engine/detail/QueryCursor.h"
#include "engine/detail/Readers.h"
#include "engine/detail/Schema.h"
#include "engine/detail/TableFiles.h"

#include <QHash>
#include <QRegularExpression>
#include <QUrl>
#include <list>

namespace engine {

using namespace detail;

struct Query::QueryData
{
    Connection db;
    std::list<SharedFileLock> locks;
    QHash<QString, TableSchema> schemas; // by attached schema name
};

namespace {

// Only reading is allowed while a query is prepared.
int authorize(void* denied, int action, const char*, const char* b, const char*, const char*)
{
    const int verdict = [&] {
        switch (action) {
        case SQLITE_SELECT:
        case SQLITE_READ:
        case SQLITE_RECURSIVE:
            return SQLITE_OK;
        case SQLITE_FUNCTION: {
            const QByteArray name = QByteArray(b ? b : "").toLower(); // the function name
            if (name == "load_extension" || name == "readfile" || name == "writefile" ||
                name == "edit" || name == "fts3_tokenizer")
                return SQLITE_DENY;
            return SQLITE_OK;
        }
        default:
            return SQLITE_DENY;
        }
    }();
    if (verdict != SQLITE_OK)
        *static_cast<bool*>(denied) = true;
    return verdict;
}

FieldKind kindOfValue(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::LongLong:
        return FieldKind::Integer;
    case QMetaType::Double:
        return FieldKind::Float;
    case QMetaType::QString:
        return FieldKind::Memo;
    default:
        return FieldKind::Unknown;
    }
}

} // namespace

Query::Query(QObject* parent) : DataSet(parent), q(std::make_unique<QueryData>()) {}

Query::~Query()
{
    blockSignals(true);
    close();
}

void Query::open()
{
    if (active())
        return;
    const QString folder = tableFolder(m_databaseName);
    QSet<QString> files;
    try {
        q->db.openMemory();
        QHash<QString, AttachedTable> attached; // by canonical path
        auto attach = [&](const QString& name) -> AttachedTable {
            const QString path = findTableFile(folder, name);
            if (path.isEmpty())
                throw zr::EngineError(QStringLiteral("Table '%1' does not exist.").arg(name),
                                      help::TableNotFound);
            const QString canonical = canonicalTablePath(path);
            const auto it = attached.constFind(canonical);
            if (it != attached.constEnd())
                return it.value();
            AttachedTable at;
            at.schema = QStringLiteral("t%1").arg(attached.size());
            static const QRegularExpression valid(QStringLiteral("^t[0-9]+$"));
            Q_ASSERT(valid.match(at.schema).hasMatch()); // written into the SQL: our own names only
            q->locks.emplace_back();
            q->locks.back().acquire(path);
            const QString uri = QStringLiteral("file:") +
                                QString::fromLatin1(QUrl::toPercentEncoding(path, "/")) +
                                QStringLiteral("?mode=ro");
            Stmt s(q->db.get(), QStringLiteral("ATTACH DATABASE ?1 AS ") + at.schema,
                   help::OpenFailed);
            s.bind(1, uri);
            s.step();
            TableSchema schema = readSchema(q->db, at.schema);
            at.table = schema.table;
            q->schemas.insert(at.schema, schema);
            attached.insert(canonical, at);
            files.insert(canonical);
            return at;
        };
        TranslatedQuery tq = translateQuery(m_sql, attach);
        if (!tq.soleSchema.isEmpty()) {
            // A keyed table read without an ordering comes in key order, as a cursor shows it.
            const TableSchema& schema = q->schemas[tq.soleSchema];
            QStringList keys;
            for (int i = 0; i < schema.keyColumns.size(); ++i)
                keys << quoteIdent(schema.fields[schema.keyColumns[i]].name) +
                            (schema.keyDescending.value(i) ? QStringLiteral(" DESC") : QString());
            if (!keys.isEmpty())
                tq.sql += QStringLiteral(" ORDER BY ") + keys.join(QStringLiteral(", "));
        }
        QVariantList params;
        for (int i = 0; i < tq.userParams; ++i)
            params << m_params.value(i);
        params += tq.literals;

        // Prepare under the authorizer: one read-only SELECT, nothing after it.
        static bool denied = false; // one thread; read right after the prepare
        denied = false;
        sqlite3_set_authorizer(q->db.get(), authorize, &denied);
        const QByteArray utf8 = tq.sql.toUtf8();
        sqlite3_stmt* raw = nullptr;
        const char* tail = nullptr;
        const int rc =
            sqlite3_prepare_v2(q->db.get(), utf8.constData(), int(utf8.size()), &raw, &tail);
        if (rc != SQLITE_OK) {
            const QString msg = QString::fromUtf8(sqlite3_errmsg(q->db.get()));
            sqlite3_finalize(raw);
            if ((rc & 0xff) == SQLITE_AUTH || denied)
                throw zr::EngineError(QStringLiteral("Query refused: only reading is allowed."),
                                      help::QueryRefused);
            throw zr::EngineError(QStringLiteral("Invalid query: %1").arg(msg), help::QuerySyntax);
        }
        const bool readOnlyStmt = raw && sqlite3_stmt_readonly(raw);
        const bool rest =
            tail && QString::fromUtf8(tail).trimmed().remove(u';').trimmed().size() > 0;
        if (!raw || !readOnlyStmt || rest) {
            sqlite3_finalize(raw);
            throw zr::EngineError(
                QStringLiteral("Query refused: only one read-only SELECT is allowed."),
                help::QueryRefused);
        }
        // Field definitions: the stored definition for a table column, else from the value.
        const int columns = sqlite3_column_count(raw);
        FieldDefs defs;
        QList<int> fromValue;
        for (int i = 0; i < columns; ++i) {
            FieldDef def;
            def.name = resultColumnName(QString::fromUtf8(sqlite3_column_name(raw, i)));
            def.kind = FieldKind::Unknown;
            const char* db = sqlite3_column_database_name(raw, i);
            const char* origin = sqlite3_column_origin_name(raw, i);
            if (db && origin) {
                const TableSchema& schema = q->schemas[QString::fromUtf8(db)];
                const int col = schema.columnIndex(QString::fromUtf8(origin));
                if (col >= 0) {
                    const FieldDef& stored = schema.fields[col];
                    def.kind = stored.kind;
                    def.size = stored.size;
                    def.required = stored.required;
                }
            } else if (QString::fromUtf8(origin ? origin : "")
                           .compare(QLatin1String("rowid"), Qt::CaseInsensitive) == 0) {
                def.kind = FieldKind::Integer;
            }
            if (def.kind == FieldKind::Unknown) {
                int size = 0;
                const char* decl = sqlite3_column_decltype(raw, i);
                if (decl)
                    parseDeclaredType(QString::fromUtf8(decl), false, &def.kind, &size);
                def.size = size;
                if (def.kind == FieldKind::Unknown)
                    fromValue << i;
            }
            defs << def;
        }
        sqlite3_finalize(raw);
        auto cursor = std::make_unique<QueryCursor>(q->db, tq.sql, params, columns, files);
        cursor->setForwardOnly(m_forwardOnly);
        if (!fromValue.isEmpty()) {
            if (const Row* first = cursor->row(0))
                for (int i : fromValue)
                    defs[i].kind = kindOfValue(first->values.value(i));
        }
        beginOpen(defs, std::move(cursor));
    } catch (...) {
        d->src.reset();
        q->db.close();
        q->locks.clear();
        q->schemas.clear();
        m_state = State::Inactive;
        throw;
    }
}

void Query::close()
{
    endClose();
    q->db.close();
    q->locks.clear();
    q->schemas.clear();
}

} // namespace engine
