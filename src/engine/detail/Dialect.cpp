#include "engine/detail/Dialect.h"

#include "engine/Error.h"
#include "engine/ErrorCodes.h"
#include "engine/detail/FieldTypes.h"
#include "engine/detail/TableFiles.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>

namespace engine::detail {

namespace {

enum class Tok { Space, Word, QIdent, String, Number, Param, Punct, Semicolon };

struct Token
{
    Tok type;
    QString text;  // as written
    QString value; // unquoted content of strings and quoted identifiers
};

[[noreturn]] void refuse(const QString& why)
{
    throw zr::EngineError(QStringLiteral("Query refused: %1").arg(why), help::QueryRefused);
}

[[noreturn]] void syntax(const QString& why)
{
    throw zr::EngineError(QStringLiteral("Invalid query: %1").arg(why), help::QuerySyntax);
}

bool wordStart(QChar c)
{
    return c.isLetter() || c == u'_' || c.unicode() >= 0x80;
}

bool wordChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'$' || c.unicode() >= 0x80;
}

QList<Token> tokenize(const QString& s)
{
    QList<Token> out;
    const int n = int(s.size());
    int i = 0;
    while (i < n) {
        const QChar c = s[i];
        const int start = i;
        if (c.isSpace()) {
            while (i < n && s[i].isSpace())
                ++i;
            out.append({Tok::Space, QStringLiteral(" "), {}});
        } else if (c == u'-' && i + 1 < n && s[i + 1] == u'-') {
            while (i < n && s[i] != u'\n')
                ++i;
            out.append({Tok::Space, QStringLiteral(" "), {}});
        } else if (c == u'/' && i + 1 < n && s[i + 1] == u'*') {
            const int end = s.indexOf(QStringLiteral("*/"), i + 2);
            if (end < 0)
                syntax(QStringLiteral("unterminated comment"));
            i = end + 2;
            out.append({Tok::Space, QStringLiteral(" "), {}});
        } else if (c == u'\'' || c == u'"' || c == u'`' || c == u'[') {
            const QChar close = c == u'[' ? u']' : c;
            QString value;
            ++i;
            bool closed = false;
            while (i < n) {
                if (s[i] == close) {
                    if (close != u']' && i + 1 < n && s[i + 1] == close) {
                        value += close;
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                value += s[i++];
            }
            if (!closed)
                syntax(c == u'\'' ? QStringLiteral("unterminated text")
                                  : QStringLiteral("unterminated name"));
            out.append({c == u'\'' ? Tok::String : Tok::QIdent, s.mid(start, i - start), value});
        } else if (c.isDigit() || (c == u'.' && i + 1 < n && s[i + 1].isDigit())) {
            while (i < n &&
                   (s[i].isLetterOrNumber() || s[i] == u'.' ||
                    ((s[i] == u'+' || s[i] == u'-') && (s[i - 1] == u'e' || s[i - 1] == u'E'))))
                ++i;
            out.append({Tok::Number, s.mid(start, i - start), {}});
        } else if (wordStart(c)) {
            while (i < n && wordChar(s[i]))
                ++i;
            out.append({Tok::Word, s.mid(start, i - start), s.mid(start, i - start)});
        } else if (c == u'?') {
            ++i;
            while (i < n && s[i].isDigit())
                ++i;
            out.append({Tok::Param, s.mid(start, i - start), {}});
        } else if ((c == u':' || c == u'@' || c == u'$') && i + 1 < n && wordStart(s[i + 1])) {
            ++i;
            while (i < n && wordChar(s[i]))
                ++i;
            out.append({Tok::Param, s.mid(start, i - start), {}});
        } else if (c == u';') {
            ++i;
            out.append({Tok::Semicolon, QStringLiteral(";"), {}});
        } else {
            static const QStringList two = {QStringLiteral("<="), QStringLiteral(">="),
                                            QStringLiteral("<>"), QStringLiteral("!="),
                                            QStringLiteral("=="), QStringLiteral("||"),
                                            QStringLiteral("<<"), QStringLiteral(">>")};
            const QString pair = s.mid(i, 2);
            if (two.contains(pair)) {
                i += 2;
                out.append({Tok::Punct, pair, {}});
            } else if (QStringLiteral("(),.+-*/%<>=&|~").contains(c)) {
                ++i;
                out.append({Tok::Punct, QString(c), {}});
            } else {
                syntax(QStringLiteral("unexpected character '%1'").arg(c));
            }
        }
    }
    return out;
}

bool isWord(const Token& t, const char* word)
{
    return t.type == Tok::Word && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool isPunct(const Token& t, const char* p)
{
    return t.type == Tok::Punct && t.text == QLatin1String(p);
}

const QSet<QString>& clauseWords()
{
    static const QSet<QString> words = {
        QStringLiteral("where"),   QStringLiteral("group"),     QStringLiteral("having"),
        QStringLiteral("order"),   QStringLiteral("limit"),     QStringLiteral("union"),
        QStringLiteral("except"),  QStringLiteral("intersect"), QStringLiteral("window"),
        QStringLiteral("on"),      QStringLiteral("using"),     QStringLiteral("join"),
        QStringLiteral("inner"),   QStringLiteral("left"),      QStringLiteral("right"),
        QStringLiteral("full"),    QStringLiteral("outer"),     QStringLiteral("cross"),
        QStringLiteral("natural"), QStringLiteral("as"),        QStringLiteral("indexed"),
        QStringLiteral("not"),     QStringLiteral("select"),    QStringLiteral("from"),
        QStringLiteral("values")};
    return words;
}

bool isClauseWord(const Token& t)
{
    return t.type == Tok::Word && clauseWords().contains(t.text.toLower());
}

QString stripDb(const QString& name)
{
    return name.endsWith(QLatin1String(".db"), Qt::CaseInsensitive) ? name.left(name.size() - 3)
                                                                    : name;
}

} // namespace

TranslatedQuery translateQuery(const QString& text, const AttachFn& attach)
{
    QList<Token> toks = tokenize(text);
    // Significant tokens (no blanks), by position in `toks`.
    QList<int> sig;
    for (int i = 0; i < toks.size(); ++i)
        if (toks[i].type != Tok::Space)
            sig << i;
    // Trailing semicolons are allowed; any other ends a statement and starts another.
    while (!sig.isEmpty() && toks[sig.last()].type == Tok::Semicolon) {
        toks[sig.last()].text = QString();
        sig.removeLast();
    }
    if (sig.isEmpty())
        refuse(QStringLiteral("the query text is empty"));
    for (int k : sig)
        if (toks[k].type == Tok::Semicolon)
            refuse(QStringLiteral("only one statement is allowed"));
    if (!isWord(toks[sig.first()], "select"))
        refuse(QStringLiteral("only SELECT is allowed"));

    auto tokAt = [&](int s) -> const Token* {
        return s >= 0 && s < sig.size() ? &toks[sig[s]] : nullptr;
    };

    struct Item
    {
        AttachedTable where;
        QString alias; // user alias, empty when none
    };
    QHash<QString, Item> byName; // lower-case names a qualifier may use
    QSet<int> consumed;          // significant positions already rewritten

    // FROM clauses, wherever they are (subqueries too).
    for (int s = 0; s < sig.size(); ++s) {
        if (!isWord(*tokAt(s), "from"))
            continue;
        int j = s + 1;
        while (true) {
            const Token* t = tokAt(j);
            if (!t)
                syntax(QStringLiteral("table name expected after FROM"));
            if (isPunct(*t, "(")) {
                // A subquery or a bracketed join: its own FROM is met by the outer loop.
                int depth = 0;
                for (; j < sig.size(); ++j) {
                    if (isPunct(*tokAt(j), "("))
                        ++depth;
                    else if (isPunct(*tokAt(j), ")") && --depth == 0)
                        break;
                }
                ++j;
            } else if (t->type == Tok::Word || t->type == Tok::QIdent) {
                if (isClauseWord(*t))
                    syntax(QStringLiteral("table name expected after FROM"));
                const int first = j;
                QString name = t->type == Tok::QIdent ? t->value : t->text;
                ++j;
                const Token* dot = tokAt(j);
                const Token* ext = tokAt(j + 1);
                if (dot && isPunct(*dot, ".") && ext &&
                    (ext->type == Tok::Word || ext->type == Tok::QIdent)) {
                    name += u'.' + (ext->type == Tok::QIdent ? ext->value : ext->text);
                    j += 2;
                    const Token* more = tokAt(j);
                    if (more && isPunct(*more, "."))
                        syntax(QStringLiteral("invalid table reference '%1'").arg(name));
                }
                if (name.contains(u'/') || name.contains(u'\\'))
                    syntax(
                        QStringLiteral("a table is named by its file name only: '%1'").arg(name));
                const AttachedTable where = attach(name);
                // Alias written by the caller?
                QString alias;
                const Token* a = tokAt(j);
                if (a && isWord(*a, "as") && tokAt(j + 1)) {
                    alias = tokAt(j + 1)->type == Tok::QIdent ? tokAt(j + 1)->value
                                                              : tokAt(j + 1)->text;
                } else if (a && ((a->type == Tok::Word && !isClauseWord(*a)) ||
                                 a->type == Tok::QIdent)) {
                    alias = a->type == Tok::QIdent ? a->value : a->text;
                }
                // Rewrite the name tokens.
                QString replacement = where.schema + u'.' + u'"' +
                                      QString(where.table).replace(u'"', QStringLiteral("\"\"")) +
                                      u'"';
                if (alias.isEmpty())
                    replacement += QStringLiteral(" AS ") + where.schema;
                for (int k = first; k < j; ++k) {
                    toks[sig[k]].text = k == first ? replacement : QString();
                    consumed.insert(k);
                }
                const Item item{where, alias};
                const QString lower = name.toLower();
                byName.insert(lower, item);
                byName.insert(stripDb(lower), item);
            } else {
                syntax(QStringLiteral("table name expected after FROM"));
            }
            // Skip to the next table of the list, or the end of the FROM clause.
            int depth = 0;
            bool nextItem = false;
            for (; j < sig.size(); ++j) {
                const Token& u = *tokAt(j);
                if (isPunct(u, "(")) {
                    ++depth;
                } else if (isPunct(u, ")")) {
                    if (--depth < 0)
                        break;
                } else if (depth == 0 && isPunct(u, ",")) {
                    nextItem = true;
                    ++j;
                    break;
                } else if (depth == 0 && isWord(u, "join")) {
                    nextItem = true;
                    ++j;
                    break;
                } else if (depth == 0 && u.type == Tok::Word &&
                           (isWord(u, "where") || isWord(u, "group") || isWord(u, "having") ||
                            isWord(u, "order") || isWord(u, "limit") || isWord(u, "union") ||
                            isWord(u, "except") || isWord(u, "intersect") || isWord(u, "window"))) {
                    break;
                }
            }
            if (!nextItem)
                break;
        }
    }

    // Qualified field references: Table.Db."Field", Table."Field", "Table.Db"."Field".
    for (int s = 0; s + 1 < sig.size(); ++s) {
        if (consumed.contains(s))
            continue;
        const Token& t = *tokAt(s);
        if ((t.type != Tok::Word && t.type != Tok::QIdent) || !isPunct(*tokAt(s + 1), "."))
            continue;
        if (s > 0 && isPunct(*tokAt(s - 1), "."))
            continue; // the middle of a longer reference
        const QString name = (t.type == Tok::QIdent ? t.value : t.text).toLower();
        const Token* ext = tokAt(s + 2);
        const Token* dot2 = tokAt(s + 3);
        QString target;
        int last = s; // last token replaced by the qualifier
        if (ext && dot2 && ext->type == Tok::Word && isPunct(*dot2, ".") &&
            byName.contains(name + u'.' + ext->text.toLower())) {
            const Item& item = byName[name + u'.' + ext->text.toLower()];
            target = item.alias.isEmpty() ? item.where.schema : item.alias;
            last = s + 2;
        } else if (byName.contains(name)) {
            const Item& item = byName[name];
            target = item.alias.isEmpty() ? item.where.schema : item.alias;
        } else {
            continue;
        }
        if (target.isEmpty())
            continue;
        static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
        toks[sig[s]].text =
            plain.match(target).hasMatch()
                ? target
                : u'"' + QString(target).replace(u'"', QStringLiteral("\"\"")) + u'"';
        for (int k = s + 1; k <= last; ++k)
            toks[sig[k]].text = QString();
        s = last;
    }

    // Placeholders of the caller, then literals, all numbered.
    TranslatedQuery out;
    QHash<QString, int> named;
    int next = 0;
    for (int s = 0; s < sig.size(); ++s) {
        Token& t = toks[sig[s]];
        if (t.type != Tok::Param)
            continue;
        if (t.text == QLatin1String("?")) {
            t.text = QStringLiteral("?%1").arg(++next);
        } else if (t.text.startsWith(u'?')) {
            const int n = t.text.mid(1).toInt();
            if (n < 1 || n > 999)
                syntax(QStringLiteral("invalid parameter %1").arg(t.text));
            next = std::max(next, n);
        } else {
            const QString key = t.text.mid(1).toLower();
            if (!named.contains(key))
                named.insert(key, ++next);
            t.text = QStringLiteral("?%1").arg(named[key]);
        }
    }
    out.userParams = next;
    for (int s = 0; s < sig.size(); ++s) {
        Token& t = toks[sig[s]];
        if (consumed.contains(s))
            continue;
        if (t.type == Tok::String) {
            out.literals << t.value;
            t.text = QStringLiteral("?%1").arg(out.userParams + out.literals.size());
        } else if (t.type == Tok::QIdent && t.text.startsWith(u'"')) {
            const QString date = dialectDate(t.value);
            if (!date.isEmpty()) {
                out.literals << date;
                t.text = QStringLiteral("?%1").arg(out.userParams + out.literals.size());
            }
        }
    }
    // One table, nothing that fixes or changes the order at the top level?
    QSet<QString> schemas;
    for (const Item& item : std::as_const(byName))
        schemas.insert(item.where.schema);
    bool plain = schemas.size() == 1;
    int depth = 0;
    int froms = 0;
    for (int s = 0; s < sig.size() && plain; ++s) {
        const Token& t = *tokAt(s);
        if (isPunct(t, "("))
            ++depth;
        else if (isPunct(t, ")"))
            --depth;
        else if (isWord(t, "from"))
            ++froms;
        else if (depth == 0)
            for (const char* w :
                 {"order", "group", "limit", "union", "except", "intersect", "join", "distinct"})
                if (isWord(t, w))
                    plain = false;
    }
    if (plain && froms == 1)
        out.soleSchema = *schemas.begin();
    for (const Token& t : toks)
        out.sql += t.text;
    return out;
}

QString resultColumnName(const QString& name)
{
    static const QRegularExpression agg(
        QStringLiteral(
            "^\\s*(max|min|sum|avg|count|total)\\s*\\(\\s*(?:distinct\\s+)?(.*?)\\s*\\)\\s*$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto m = agg.match(name);
    if (!m.hasMatch())
        return name;
    QString arg = m.captured(2);
    const int dot = arg.lastIndexOf(u'.');
    if (dot >= 0 && !arg.endsWith(u'"'))
        arg = arg.mid(dot + 1);
    else if (arg.endsWith(u'"')) {
        const int open = arg.lastIndexOf(u'"', arg.size() - 2);
        if (open >= 0)
            arg = arg.mid(open + 1, arg.size() - open - 2);
    }
    arg = arg.trimmed();
    if (arg.startsWith(u'[') && arg.endsWith(u']'))
        arg = arg.mid(1, arg.size() - 2);
    return m.captured(1).toLower() + QStringLiteral(" of ") + arg.toLower();
}

} // namespace engine::detail
