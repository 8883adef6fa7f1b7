#include "engine/detail/Schema.h"

#include "engine/ErrorCodes.h"
#include "engine/detail/FieldTypes.h"

#include <QRegularExpression>
#include <QSet>
#include <algorithm>

namespace engine::detail {

namespace {

[[noreturn]] void badDefinition(const QString& text)
{
    throw zr::EngineError(text, help::BadDefinition);
}

QStringList splitFields(const QString& fields)
{
    QStringList out;
    for (const QString& part : fields.split(u';', Qt::SkipEmptyParts)) {
        const QString name = part.trimmed();
        if (!name.isEmpty())
            out << name;
    }
    return out;
}

QString indexFlags(IndexOptions o)
{
    QString f;
    if (o & IndexOption::NonMaintained)
        f += u'n';
    if (o & IndexOption::Expression)
        f += u'e';
    return f;
}

} // namespace

int TableSchema::columnIndex(const QString& name) const
{
    const QString wanted = name.trimmed();
    for (int i = 0; i < fields.size(); ++i)
        if (fields[i].name.compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void createSchema(Connection& db, const FieldDefs& fields, const IndexDefs& indexes)
{
    if (fields.isEmpty())
        badDefinition(QStringLiteral("A table needs at least one field."));
    QSet<QString> names;
    int autoInc = -1;
    for (int i = 0; i < fields.size(); ++i) {
        const FieldDef& f = fields[i];
        if (f.name.trimmed().isEmpty())
            badDefinition(QStringLiteral("Field %1 has no name.").arg(i + 1));
        if (f.name.compare(QLatin1String("rowid"), Qt::CaseInsensitive) == 0 ||
            f.name.compare(QLatin1String("oid"), Qt::CaseInsensitive) == 0 ||
            f.name.compare(QLatin1String("_rowid_"), Qt::CaseInsensitive) == 0)
            badDefinition(QStringLiteral("'%1' is a reserved field name.").arg(f.name));
        if (names.contains(f.name.toLower()))
            badDefinition(QStringLiteral("Duplicate field name '%1'.").arg(f.name));
        names.insert(f.name.toLower());
        if (f.kind == FieldKind::Unknown)
            badDefinition(QStringLiteral("Field '%1' has no kind.").arg(f.name));
        if (f.kind == FieldKind::String && f.size <= 0)
            badDefinition(QStringLiteral("String field '%1' needs a size.").arg(f.name));
        if (f.kind == FieldKind::AutoInc) {
            if (autoInc >= 0)
                badDefinition(QStringLiteral("A table can have only one auto-increment field."));
            autoInc = i;
        }
    }

    // The primary index, if declared.
    const IndexDef* primary = nullptr;
    for (const IndexDef& ix : indexes) {
        if (ix.options & IndexOption::Primary) {
            if (primary)
                badDefinition(QStringLiteral("A table can have only one primary index."));
            primary = &ix;
        }
    }
    QStringList primaryFields;
    if (primary) {
        if (primary->options & IndexOption::Expression)
            badDefinition(QStringLiteral("A primary index cannot be an expression index."));
        primaryFields = splitFields(primary->fields);
        if (primaryFields.isEmpty())
            badDefinition(QStringLiteral("The primary index names no field."));
    }
    const bool autoIncIsKey =
        primary && autoInc >= 0 && primaryFields.size() == 1 &&
        primaryFields[0].compare(fields[autoInc].name, Qt::CaseInsensitive) == 0;
    if (primary && autoInc >= 0 && !autoIncIsKey)
        badDefinition(
            QStringLiteral("An auto-increment field can only share its table with a primary "
                           "index on that field."));

    QStringList cols;
    for (int i = 0; i < fields.size(); ++i) {
        const FieldDef& f = fields[i];
        QString col = quoteIdent(f.name) + u' ' + declaredType(f);
        if (f.required)
            col += QStringLiteral(" NOT NULL");
        if (i == autoInc) {
            if (autoIncIsKey)
                col += QStringLiteral(" CONSTRAINT ") +
                       quoteIdent(QStringLiteral("pk:") + primary->name);
            col += QStringLiteral(" PRIMARY KEY AUTOINCREMENT");
        }
        cols << col;
    }
    if (primary && !autoIncIsKey) {
        QStringList keyCols;
        for (const QString& name : primaryFields) {
            const auto it = std::find_if(fields.begin(), fields.end(), [&](const FieldDef& f) {
                return f.name.compare(name, Qt::CaseInsensitive) == 0;
            });
            if (it == fields.end())
                badDefinition(
                    QStringLiteral("Index field '%1' is not a field of the table.").arg(name));
            QString k = quoteIdent(it->name);
            if (primary->options & IndexOption::CaseInsensitive)
                k += QStringLiteral(" COLLATE NOCASE");
            if (primary->options & IndexOption::Descending)
                k += QStringLiteral(" DESC");
            keyCols << k;
        }
        cols << QStringLiteral("CONSTRAINT ") + quoteIdent(QStringLiteral("pk:") + primary->name) +
                    QStringLiteral(" PRIMARY KEY (") + keyCols.join(QStringLiteral(", ")) + u')';
    }

    db.exec(QStringLiteral("CREATE TABLE ") + quoteIdent(kRecordsTable) + QStringLiteral(" (") +
                cols.join(QStringLiteral(", ")) + u')',
            help::BadDefinition);

    int n = 0;
    for (const IndexDef& ix : indexes) {
        if (&ix == primary)
            continue;
        const QString name =
            QStringLiteral("ix%1%2:%3").arg(n++).arg(indexFlags(ix.options), ix.name);
        QString body;
        if (ix.options & IndexOption::Expression) {
            if (ix.expression.trimmed().isEmpty())
                badDefinition(
                    QStringLiteral("Expression index '%1' has no expression.").arg(ix.name));
            body = ix.expression;
        } else {
            QStringList keyCols;
            const QStringList list = splitFields(ix.fields);
            if (list.isEmpty())
                badDefinition(QStringLiteral("Index '%1' names no field.").arg(ix.name));
            for (const QString& f : list) {
                const auto it = std::find_if(fields.begin(), fields.end(), [&](const FieldDef& d) {
                    return d.name.compare(f, Qt::CaseInsensitive) == 0;
                });
                if (it == fields.end())
                    badDefinition(
                        QStringLiteral("Index field '%1' is not a field of the table.").arg(f));
                QString k = quoteIdent(it->name);
                if (ix.options & IndexOption::CaseInsensitive)
                    k += QStringLiteral(" COLLATE NOCASE");
                if (ix.options & IndexOption::Descending)
                    k += QStringLiteral(" DESC");
                keyCols << k;
            }
            body = keyCols.join(QStringLiteral(", "));
        }
        const bool unique = ix.options & IndexOption::Unique;
        db.exec(QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                    .arg(unique ? QStringLiteral("UNIQUE ") : QString(), quoteIdent(name),
                         quoteIdent(kRecordsTable), body),
                help::BadDefinition);
    }
}

QString recordsTableName(Connection& db, const QString& schemaName)
{
    Stmt s(db.get(),
           QStringLiteral("SELECT name FROM %1.sqlite_master WHERE type='table' AND name NOT LIKE "
                          "'sqlite\\_%' ESCAPE '\\' ORDER BY (name='records') DESC, rowid")
               .arg(quoteIdent(schemaName)),
           help::OpenFailed);
    if (!s.step())
        throw zr::EngineError(QStringLiteral("The file holds no table."), help::OpenFailed);
    return s.column(0).toString();
}

TableSchema readSchema(Connection& db, const QString& schemaName)
{
    TableSchema out;
    out.table = recordsTableName(db, schemaName);
    const QString qs = quoteIdent(schemaName);
    const QString qt = quoteIdent(out.table);

    QString createSql;
    {
        Stmt s(db.get(),
               QStringLiteral("SELECT sql FROM %1.sqlite_master WHERE type='table' AND name=?")
                   .arg(qs),
               help::OpenFailed);
        s.bind(1, out.table);
        if (s.step())
            createSql = s.column(0).toString();
    }

    // Columns. pk > 0 gives the key order.
    QList<QPair<int, int>> pkOrder; // (pk position, column)
    {
        Stmt s(db.get(), QStringLiteral("PRAGMA %1.table_info(%2)").arg(qs, qt), help::OpenFailed);
        while (s.step()) {
            FieldDef f;
            f.name = s.column(1).toString();
            const QString type = s.column(2).toString();
            f.required = s.columnInt(3) != 0;
            const int pk = int(s.columnInt(5));
            const bool rowidAlias =
                pk == 1 && type.compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0;
            int autoinc = 0;
            if (rowidAlias) {
                sqlite3_table_column_metadata(
                    db.get(), schemaName.toUtf8().constData(), out.table.toUtf8().constData(),
                    f.name.toUtf8().constData(), nullptr, nullptr, nullptr, nullptr, &autoinc);
            }
            parseDeclaredType(type, rowidAlias && autoinc, &f.kind, &f.size);
            if (f.kind == FieldKind::AutoInc)
                out.autoIncColumn = int(out.fields.size());
            if (pk > 0)
                pkOrder.append({pk, int(out.fields.size())});
            out.fields << f;
        }
    }
    if (out.fields.isEmpty())
        throw zr::EngineError(QStringLiteral("The table has no fields."), help::OpenFailed);
    std::sort(pkOrder.begin(), pkOrder.end());
    const bool onlyRowidAlias = pkOrder.size() == 1 && pkOrder[0].second == out.autoIncColumn;

    // The primary key: a declared primary index carries the constraint name "pk:<name>".
    static const QRegularExpression pkName(QStringLiteral("CONSTRAINT\\s+\"pk:((?:[^\"]|\"\")*)\""),
                                           QRegularExpression::CaseInsensitiveOption);
    const auto pkMatch = pkName.match(createSql);
    const bool declaredPrimary = !pkOrder.isEmpty() && (!onlyRowidAlias || pkMatch.hasMatch());
    IndexDef primaryDef;
    if (declaredPrimary) {
        QStringList names;
        for (const auto& p : pkOrder) {
            out.keyColumns << p.second;
            names << out.fields[p.second].name;
            out.keyDescending << false;
            out.keyNoCase << false;
        }
        primaryDef.name = pkMatch.hasMatch() ? pkMatch.captured(1).replace(QStringLiteral("\"\""),
                                                                           QStringLiteral("\""))
                                             : QString();
        primaryDef.fields = names.join(u';');
        primaryDef.options = IndexOption::Primary | IndexOption::Unique;
    }

    struct Found
    {
        int order;
        IndexDef def;
    };
    QList<Found> found;
    {
        Stmt list(db.get(), QStringLiteral("PRAGMA %1.index_list(%2)").arg(qs, qt),
                  help::OpenFailed);
        QList<QPair<QString, QPair<bool, QString>>> entries; // name, unique, origin
        while (list.step())
            entries.append(
                {list.column(1).toString(), {list.columnInt(2) != 0, list.column(3).toString()}});
        list.reset();
        for (const auto& e : entries) {
            const QString& name = e.first;
            const bool unique = e.second.first;
            const QString& origin = e.second.second;
            // Key columns with their direction and collation.
            QStringList cols;
            bool desc = false;
            bool nocase = false;
            bool expression = false;
            Stmt xi(db.get(), QStringLiteral("PRAGMA %1.index_xinfo(%2)").arg(qs, quoteIdent(name)),
                    help::OpenFailed);
            QList<bool> colDesc;
            QList<bool> colNoCase;
            while (xi.step()) {
                if (xi.columnInt(5) == 0)
                    continue; // not a key column
                const int cid = int(xi.columnInt(1));
                if (cid == -2)
                    expression = true;
                else if (cid >= 0)
                    cols << xi.column(2).toString();
                const bool d = xi.columnInt(3) != 0;
                const bool nc = xi.column(4).toString().compare(QLatin1String("NOCASE"),
                                                                Qt::CaseInsensitive) == 0;
                desc = desc || d;
                nocase = nocase || nc;
                colDesc << d;
                colNoCase << nc;
            }
            if (origin == QLatin1String("pk")) {
                if (declaredPrimary) {
                    if (desc)
                        primaryDef.options |= IndexOption::Descending;
                    if (nocase)
                        primaryDef.options |= IndexOption::CaseInsensitive;
                    for (int i = 0; i < out.keyColumns.size() && i < colDesc.size(); ++i) {
                        out.keyDescending[i] = colDesc[i];
                        out.keyNoCase[i] = colNoCase[i];
                    }
                }
                continue;
            }
            if (name.startsWith(kHelperPrefix) || origin == QLatin1String("u"))
                continue; // a private helper, or a UNIQUE column constraint
            IndexDef def;
            int order = 1000000 + int(found.size());
            static const QRegularExpression ours(QStringLiteral("^ix(\\d+)([a-z]*):(.*)$"),
                                                 QRegularExpression::DotMatchesEverythingOption);
            const auto m = ours.match(name);
            QString flags;
            if (m.hasMatch()) {
                order = m.captured(1).toInt();
                flags = m.captured(2);
                def.name = m.captured(3);
            } else {
                def.name = name;
            }
            if (unique)
                def.options |= IndexOption::Unique;
            if (desc)
                def.options |= IndexOption::Descending;
            if (nocase)
                def.options |= IndexOption::CaseInsensitive;
            if (flags.contains(u'n'))
                def.options |= IndexOption::NonMaintained;
            if (expression || flags.contains(u'e')) {
                def.options |= IndexOption::Expression;
                Stmt sq(
                    db.get(),
                    QStringLiteral("SELECT sql FROM %1.sqlite_master WHERE type='index' AND name=?")
                        .arg(qs),
                    help::OpenFailed);
                sq.bind(1, name);
                if (sq.step()) {
                    const QString sql = sq.column(0).toString();
                    const int on = sql.indexOf(qt);
                    const int open = sql.indexOf(u'(', on < 0 ? 0 : on);
                    const int close = sql.lastIndexOf(u')');
                    if (open >= 0 && close > open)
                        def.expression = sql.mid(open + 1, close - open - 1);
                }
            } else {
                def.fields = cols.join(u';');
            }
            found.append({order, def});
        }
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const Found& a, const Found& b) { return a.order < b.order; });
    if (declaredPrimary)
        out.indexes << primaryDef;
    for (const Found& f : found)
        out.indexes << f.def;
    return out;
}

void ensureHelperIndex(Connection& db, const TableSchema& schema, const QString& field)
{
    const int col = schema.columnIndex(field);
    if (col < 0)
        throw zr::EngineError(QStringLiteral("Field '%1' not found.").arg(field),
                              help::FieldNotFound);
    const QString& name = schema.fields[col].name;
    db.exec(QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)")
                .arg(quoteIdent(kHelperPrefix + name), quoteIdent(schema.table), quoteIdent(name)),
            help::Internal);
}

} // namespace engine::detail
