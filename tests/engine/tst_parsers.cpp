// The filter reader and the query translator on arbitrary text: every input is either
// read or refused with an engine error, never anything else; filters written from
// values read back to the same terms.

#include "engine/ErrorCodes.h"
#include "engine/detail/Dialect.h"
#include "engine/detail/Filter.h"

#include <QRandomGenerator>
#include <QTest>

using namespace engine;

namespace {

const QStringList kPieces = {"select", "SELECT", "*",        "from",      "rubry",
                             ".",      "db",     "\"Nome\"", "'x'",       "'D''A'",
                             "'",      "\"",     "where",    "and",       "=",
                             ">=",     "<=",     "(",        ")",         ",",
                             ";",      "order",  "by",       "max",       "\"12/31/2001\"",
                             "?",      ":p",     "--",       "/*",        "*/",
                             "\r\n",   " ",      "Nome",     "tabexport", "join",
                             "on",     "as",     "r",        "[",         "]",
                             "`",      "0",      "1.5e3",    "È",         "union",
                             "limit",  "-"};

QString randomText(QRandomGenerator& rng, int pieces)
{
    QString s;
    for (int i = 0; i < pieces; ++i) {
        s += kPieces[int(rng.bounded(quint32(kPieces.size())))];
        if (rng.bounded(2))
            s += u' ';
    }
    return s;
}

} // namespace

class TstParsers : public QObject
{
    Q_OBJECT
private slots:
    void filterTextNeverMisbehaves();
    void filterValuesRoundTrip();
    void queryTextNeverMisbehaves();
};

void TstParsers::filterTextNeverMisbehaves()
{
    QRandomGenerator rng(20261211);
    int read = 0;
    for (int i = 0; i < 20000; ++i) {
        const QString text = randomText(rng, 1 + int(rng.bounded(8u)));
        try {
            const auto terms = detail::parseFilter(text);
            // What was read is written back and read again to the same terms.
            const auto again = detail::parseFilter(detail::filterText(terms));
            QCOMPARE(again.size(), terms.size());
            ++read;
        } catch (const zr::EngineError& e) {
            QCOMPARE(e.helpContext(), help::FilterSyntax);
        }
    }
    QVERIFY(read > 0);
}

void TstParsers::filterValuesRoundTrip()
{
    QRandomGenerator rng(7);
    const QString alphabet = QStringLiteral("aZ'\" *?[]\\%_,;=èé\r\n0");
    for (int i = 0; i < 5000; ++i) {
        QList<QPair<QString, QString>> values;
        const int n = 1 + int(rng.bounded(3u));
        for (int k = 0; k < n; ++k) {
            QString v;
            const int len = int(rng.bounded(6u));
            for (int c = 0; c < len; ++c)
                v += alphabet[int(rng.bounded(quint32(alphabet.size())))];
            values.append({k % 2 ? QStringLiteral("Nome") : QStringLiteral("Mail"), v});
        }
        const auto terms = detail::filterFromValues(values);
        const auto back = detail::parseFilter(detail::filterText(terms));
        QCOMPARE(back.size(), terms.size());
        for (int k = 0; k < terms.size(); ++k) {
            QCOMPARE(back[k].field, terms[k].field);
            QCOMPARE(back[k].value, terms[k].value);
            QCOMPARE(back[k].prefix, terms[k].prefix);
        }
    }
}

void TstParsers::queryTextNeverMisbehaves()
{
    QRandomGenerator rng(42);
    auto attach = [](const QString& name) {
        if (name.compare(QLatin1String("rubry"), Qt::CaseInsensitive) != 0 &&
            name.compare(QLatin1String("rubry.db"), Qt::CaseInsensitive) != 0 &&
            name.compare(QLatin1String("tabexport"), Qt::CaseInsensitive) != 0)
            throw zr::EngineError(QStringLiteral("Table '%1' does not exist.").arg(name),
                                  help::TableNotFound);
        return detail::AttachedTable{name.startsWith(u't', Qt::CaseInsensitive)
                                         ? QStringLiteral("t1")
                                         : QStringLiteral("t0"),
                                     QStringLiteral("records")};
    };
    int translated = 0;
    for (int i = 0; i < 20000; ++i) {
        const QString text = QStringLiteral("select ") + randomText(rng, int(rng.bounded(12u)));
        try {
            const auto q = detail::translateQuery(text, attach);
            // Text literals never reach the SQL: they are parameters (a quote may only
            // stand inside a quoted name).
            if (!text.contains(u'[') && !text.contains(u'`') && !text.contains(u'"'))
                QVERIFY2(!q.sql.contains(u'\''), qPrintable(text + " -> " + q.sql));
            ++translated;
        } catch (const zr::EngineError& e) {
            QVERIFY(e.helpContext() == help::QuerySyntax || e.helpContext() == help::QueryRefused ||
                    e.helpContext() == help::TableNotFound);
        }
    }
    QVERIFY(translated > 0);
}

QTEST_GUILESS_MAIN(TstParsers)
#include "tst_parsers.moc"
