// Table engine benchmark: a 1,000,000-contact table, filters, counts, stepping and the
// grid model, each against the sqlite3 tool on the same file.

#include "BenchSupport.h"
#include "engine/DataSet.h"
#include "platform/AppFolder.h"
#include "shell/DataSetModel.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdio>

using namespace engine;

namespace {

const char* kNomi[] = {"Mario",  "Anna",   "Luigi", "Giulia", "Marco",  "Paola", "Carlo",
                       "Sara",   "Marta",  "Piero", "Elena",  "Franco", "Laura", "Massimo",
                       "Chiara", "Bruno",  "Rita",  "Dario",  "Ugo",    "Irene", "Matteo",
                       "Silvia", "Nicola", "Lucia", "Mariano"};
const char* kCognomi[] = {"Rossi",    "Bianchi", "Verdi",    "Neri",    "Russo",   "Ferrari",
                          "Esposito", "Romano",  "Colombo",  "Ricci",   "Marino",  "Greco",
                          "Bruno",    "Gallo",   "Conti",    "De Luca", "Mancini", "Costa",
                          "Giordano", "Rizzo",   "Lombardi", "Moretti"};

void buildContacts(int count)
{
    Table t(QStringLiteral("Rubry.Db"));
    t.fieldDefs = {{"NumID", FieldKind::AutoInc, 0, true},
                   {"Cognome", FieldKind::String, 50, false},
                   {"Nome", FieldKind::String, 50, false},
                   {"Numero", FieldKind::String, 20, false},
                   {"Mail", FieldKind::String, 40, false}};
    t.createTable();
    t.open();
    t.startTransaction();
    quint32 seed = 12345;
    auto rnd = [&] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) & 0xffffff;
    };
    const int nNomi = int(sizeof kNomi / sizeof *kNomi);
    const int nCognomi = int(sizeof kCognomi / sizeof *kCognomi);
    for (int i = 0; i < count; ++i) {
        const QString nome = QString::fromLatin1(kNomi[rnd() % nNomi]);
        const QString cognome = QString::fromLatin1(kCognomi[rnd() % nCognomi]);
        t.append();
        t.field(1).setValue(cognome);
        t.field(2).setValue(nome);
        t.field(3).setValue(QString::number(3000000000LL + rnd()));
        t.field(4).setValue(nome.toLower() + u'.' + QString::number(i) +
                            QStringLiteral("@example.com"));
        t.post();
    }
    t.commit();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 1000000;
    const bench::AppFolder folder;
    const QString file = folder.path(QStringLiteral("Rubry.Db"));

    bench::report("engine_build_1m_contacts", bench::timeMs([&] { buildContacts(count); }, 1));

    bench::report("engine_table_open_close", bench::timeMs(
                                                 [&] {
                                                     Table t(QStringLiteral("rubry"));
                                                     t.open();
                                                 },
                                                 5));

    struct Case
    {
        const char* name;
        QString filter;
        QString where;
    };
    const Case cases[] = {
        {"exact", QStringLiteral("Nome = 'Mario'"), QStringLiteral("Nome = 'Mario'")},
        {"prefix", QStringLiteral("Nome = 'Mar*'"),
         QStringLiteral("Nome >= 'Mar' AND Nome < 'Mas'")}};
    for (const Case& c : cases) {
        const QString openName = QStringLiteral("engine_filter_%1_open_count_first").arg(c.name);
        bench::report(openName.toLatin1().constData(),
                      bench::compare(
                          [&] {
                              Table t(QStringLiteral("rubry"));
                              t.setFiltered(true);
                              t.setFilter(c.filter);
                              t.open();
                              volatile int n = t.recordCount();
                              (void)n;
                              volatile int len = int(t.fieldByName("Cognome").asString().size());
                              (void)len;
                          },
                          file,
                          QStringLiteral("SELECT count(*) FROM records WHERE %1; SELECT * "
                                         "FROM records WHERE %1 ORDER BY rowid LIMIT 1;")
                              .arg(c.where)));

        Table t(QStringLiteral("rubry"));
        t.setFiltered(true);
        t.setFilter(c.filter);
        t.open();
        // The count alone: the cached one is forgotten (untimed) before each run.
        bench::report(QStringLiteral("engine_filter_%1_count").arg(c.name).toLatin1().constData(),
                      bench::compare(
                          [&] {
                              volatile int n = t.recordCount();
                              (void)n;
                          },
                          file,
                          QStringLiteral("SELECT count(*) FROM records WHERE %1;").arg(c.where), 5,
                          [&] {
                              t.setFiltered(false);
                              t.setFiltered(true);
                          }));

        // Opening a fresh cursor (nothing read yet) and stepping through 1000 records.
        bench::report(
            QStringLiteral("engine_filter_%1_step_1000").arg(c.name).toLatin1().constData(),
            bench::compare(
                [&] {
                    Table fresh(QStringLiteral("rubry"));
                    fresh.setFiltered(true);
                    fresh.setFilter(c.filter);
                    fresh.open();
                    for (int i = 0; i < 1000 && !fresh.eof(); ++i) {
                        volatile int len = int(fresh.field(2).asString().size());
                        (void)len;
                        fresh.next();
                    }
                },
                file,
                QStringLiteral("SELECT * FROM records WHERE %1 ORDER BY rowid LIMIT 1000;")
                    .arg(c.where)));
    }

    bench::report("engine_grid_open_whole_table",
                  bench::compare(
                      [&] {
                          Table t(QStringLiteral("rubry"));
                          t.open();
                          shell::DataSetModel model(&t);
                          for (int r = 0; r < 30; ++r)
                              for (int c = 0; c < model.columnCount(); ++c)
                                  model.data(model.index(r, c));
                      },
                      file,
                      QStringLiteral("SELECT count(*) FROM records; SELECT * FROM records ORDER "
                                     "BY rowid LIMIT 30;")));

    // Scrolling: a page of rows in the middle and at the end.
    {
        Table t(QStringLiteral("rubry"));
        t.open();
        shell::DataSetModel model(&t);
        const int rows = model.rowCount();
        const double scrollMs = bench::timeMs([&] {
            for (int r = rows - 30; r < rows; ++r)
                model.data(model.index(r, 1));
            for (int r = 0; r < 3000; ++r)
                model.data(model.index(r, 1));
        });
        bench::report("engine_grid_scroll_end_and_3000_rows", scrollMs);
    }

    bench::report(
        "engine_query_open_count",
        bench::compare(
            [&] {
                Query q;
                q.setSql(
                    QStringLiteral("select * from rubry.db where Nome = 'Mario' order by numid"));
                q.open();
                volatile int n = q.recordCount();
                (void)n;
            },
            file,
            QStringLiteral(
                "SELECT count(*) FROM (SELECT * FROM records WHERE Nome = 'Mario' ORDER BY NumID); "
                "SELECT * FROM records WHERE Nome = 'Mario' ORDER BY NumID LIMIT 1;")));
    return 0;
}
