#include "engine/detail/Filter.h"

#include "engine/ErrorCodes.h"
#include "engine/detail/FieldTypes.h"

#include <algorithm>

namespace engine::detail {

namespace {

[[noreturn]] void syntax(const QString& text, int pos, const QString& what)
{
    throw zr::EngineError(QStringLiteral("Invalid filter \"%1\" at position %2: %3.")
                              .arg(text)
                              .arg(pos + 1)
                              .arg(what),
                          help::FilterSyntax);
}

bool identStart(QChar c)
{
    return c.isLetter() || c == u'_';
}

bool identChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

void finishTerm(FilterTerm& t)
{
    if (t.op == QLatin1String("=") && t.value.typeId() == QMetaType::QString) {
        const QString v = t.value.toString();
        if (v.size() >= 2 && v.endsWith(u'*')) {
            t.prefix = true;
            t.value = v.left(v.size() - 1);
        }
    }
}

} // namespace

QList<FilterTerm> parseFilter(const QString& text)
{
    QList<FilterTerm> terms;
    const int n = int(text.size());
    int i = 0;
    auto skipSpace = [&] {
        while (i < n && text[i].isSpace())
            ++i;
    };
    skipSpace();
    if (i == n)
        return terms;
    while (true) {
        FilterTerm t;
        skipSpace();
        // Field name: a word, "quoted" or [bracketed].
        if (i < n && (text[i] == u'"' || text[i] == u'[')) {
            const QChar close = text[i] == u'"' ? u'"' : u']';
            const int start = ++i;
            while (i < n && text[i] != close)
                ++i;
            if (i == n)
                syntax(text, start - 1, QStringLiteral("unterminated field name"));
            t.field = text.mid(start, i - start);
            ++i;
        } else if (i < n && identStart(text[i])) {
            const int start = i;
            while (i < n && identChar(text[i]))
                ++i;
            t.field = text.mid(start, i - start);
        } else {
            syntax(text, i, QStringLiteral("field name expected"));
        }
        if (t.field.trimmed().isEmpty())
            syntax(text, i, QStringLiteral("empty field name"));
        skipSpace();
        // Operator.
        static const char* ops[] = {"<>", ">=", "<=", "=", "<", ">"};
        bool found = false;
        for (const char* op : ops) {
            const QString o = QLatin1String(op);
            if (text.mid(i, o.size()) == o) {
                t.op = o;
                i += int(o.size());
                found = true;
                break;
            }
        }
        if (!found)
            syntax(text, i, QStringLiteral("comparison expected"));
        skipSpace();
        // Value: 'text' with '' for a quote inside, or a number.
        if (i < n && text[i] == u'\'') {
            QString v;
            ++i;
            bool closed = false;
            while (i < n) {
                if (text[i] == u'\'') {
                    if (i + 1 < n && text[i + 1] == u'\'') {
                        v += u'\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                v += text[i++];
            }
            if (!closed)
                syntax(text, n, QStringLiteral("unterminated text value"));
            t.value = v;
        } else if (i < n && (text[i].isDigit() || text[i] == u'-' || text[i] == u'+')) {
            const int start = i++;
            while (i < n && (text[i].isDigit() || text[i] == u'.'))
                ++i;
            bool ok = false;
            const QString num = text.mid(start, i - start);
            const qint64 iv = num.toLongLong(&ok);
            if (ok) {
                t.value = QVariant(iv);
            } else {
                const double dv = num.toDouble(&ok);
                if (!ok)
                    syntax(text, start, QStringLiteral("invalid number"));
                t.value = QVariant(dv);
            }
        } else {
            syntax(text, i, QStringLiteral("value expected"));
        }
        finishTerm(t);
        terms << t;
        skipSpace();
        if (i == n)
            break;
        // "and", with or without a blank before it.
        if (i + 3 <= n && text.mid(i, 3).compare(QLatin1String("and"), Qt::CaseInsensitive) == 0 &&
            (i + 3 == n || !identChar(text[i + 3]))) {
            i += 3;
            skipSpace();
            if (i == n)
                syntax(text, i, QStringLiteral("condition expected after \"and\""));
            continue;
        }
        syntax(text, i, QStringLiteral("\"and\" expected"));
    }
    return terms;
}

QList<FilterTerm> filterFromValues(const QList<QPair<QString, QString>>& values)
{
    QList<FilterTerm> terms;
    for (const auto& v : values) {
        FilterTerm t;
        t.field = v.first.trimmed();
        if (t.field.isEmpty())
            throw zr::EngineError(QStringLiteral("Filter term without a field name."),
                                  help::FilterSyntax);
        t.value = v.second;
        finishTerm(t);
        terms << t;
    }
    return terms;
}

QString filterText(const QList<FilterTerm>& terms)
{
    QStringList parts;
    for (const FilterTerm& t : terms) {
        QString value;
        if (t.value.typeId() == QMetaType::QString) {
            QString v = t.value.toString();
            if (t.prefix)
                v += u'*';
            v.replace(u'\'', QStringLiteral("''"));
            value = u'\'' + v + u'\'';
        } else {
            value = t.value.toString();
        }
        const bool plain = !t.field.isEmpty() && identStart(t.field[0]) &&
                           std::all_of(t.field.begin(), t.field.end(), identChar);
        const QString field = plain ? t.field : u'"' + t.field + u'"';
        parts << field + u' ' + t.op + u' ' + value;
    }
    return parts.join(QStringLiteral(" and "));
}

QString prefixUpperBound(const QString& prefix)
{
    // The prefix with its last character replaced by the next one; empty when there is
    // no such character (the caller then matches with GLOB).
    const QList<uint> codes = prefix.toUcs4();
    if (codes.isEmpty())
        return {};
    QList<uint> upper = codes;
    uint next = upper.last() + 1;
    if (next >= 0xD800 && next <= 0xDFFF)
        next = 0xE000; // surrogates are no characters
    if (next > 0x10FFFF)
        return {};
    upper.last() = next;
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(upper.constData()), upper.size());
}

QString globPrefix(const QString& prefix)
{
    QString out;
    out.reserve(prefix.size() + 4);
    for (const QChar c : prefix) {
        if (c == u'*')
            out += QStringLiteral("[*]");
        else if (c == u'?')
            out += QStringLiteral("[?]");
        else if (c == u'[')
            out += QStringLiteral("[[]");
        else
            out += c;
    }
    return out + u'*';
}

FilterSql filterSql(const QList<FilterTerm>& terms, const TableSchema& schema)
{
    FilterSql out;
    QStringList parts;
    for (const FilterTerm& t : terms) {
        const int col = schema.columnIndex(t.field);
        if (col < 0)
            throw zr::EngineError(QStringLiteral("Field '%1' not found.").arg(t.field),
                                  help::FieldNotFound);
        const FieldDef& def = schema.fields[col];
        const QString name = quoteIdent(def.name);
        if (t.prefix) {
            const QString prefix = t.value.toString();
            const QString upper = prefixUpperBound(prefix);
            if (isTextKind(def.kind) && !upper.isEmpty()) {
                // Text compares byte by byte: the texts that begin with the prefix are the
                // ones from the prefix up to (not including) its successor. A range keeps
                // the statement as prepared and walks an index where there is one.
                parts << u'(' + name + QStringLiteral(" >= ? AND ") + name +
                             QStringLiteral(" < ?)");
                out.params << prefix << upper;
            } else {
                parts << name + QStringLiteral(" GLOB ?");
                out.params << globPrefix(prefix);
            }
            continue;
        }
        // Compare with the value as the field stores it (dates as stored text, booleans 0/1).
        QVariant v = t.value;
        if (!isTextKind(def.kind) && def.kind != FieldKind::Unknown) {
            try {
                v = toStorage(def, t.value);
            } catch (const zr::EngineError&) {
                v = t.value; // compares unequal to every stored value
            }
        } else if (v.typeId() != QMetaType::QString) {
            v = v.toString();
        }
        if (!v.isValid() || v.isNull()) {
            parts << name + (t.op == QLatin1String("<>")  ? QStringLiteral(" IS NOT NULL")
                             : t.op == QLatin1String("=") ? QStringLiteral(" IS NULL")
                                                          : QStringLiteral(" < NULL"));
            continue;
        }
        parts << name + u' ' + t.op + QStringLiteral(" ?");
        out.params << v;
    }
    out.where = parts.join(QStringLiteral(" AND "));
    return out;
}

} // namespace engine::detail
