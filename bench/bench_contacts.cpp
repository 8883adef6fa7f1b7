// Engine work behind the address book windows over 1,000,000 contacts: opening the search
// window (its table cursor and grid model), searches (filter, count, first page of the
// grid) and opening the browse window (its query and first record), each against the
// sqlite3 tool running the same work on the same file.
// One line per measure: NAME ours_ms=N sqlite3_ms=N ratio=R.

#include "BenchSupport.h"
#include "engine/DataSet.h"
#include "platform/AppFolder.h"
#include "shell/DataSetModel.h"

#include <QCoreApplication>
#include <QTemporaryDir>

using namespace engine;

namespace {

constexpr int kPagina = 20; // rows the search grid shows at once

const char* kNomi[] = {"Mario", "Anna",  "Luigi", "Giulia", "Marco",  "Paola", "Carlo",
                       "Sara",  "Marta", "Piero", "Elena",  "Franco", "Laura"};
const char* kCognomi[] = {"Rossi",  "Bianchi", "Verdi", "Neri",   "Russo", "Ferrari", "D'Amico",
                          "Romano", "Colombo", "Ricci", "Marino", "Greco", "De Luca", "Gallo"};

void creaRubrica(int quanti)
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
    quint32 seme = 4242;
    auto caso = [&] {
        seme = seme * 1103515245u + 12345u;
        return (seme >> 8) & 0xffffff;
    };
    for (int i = 0; i < quanti; ++i) {
        const QString nome = QString::fromLatin1(kNomi[caso() % std::size(kNomi)]);
        const QString cognome =
            QString::fromLatin1(kCognomi[caso() % std::size(kCognomi)]) + QString::number(i % 500);
        t.insertRecord(
            {QVariant(), cognome, nome, QString::number(600000000 + i),
             nome.toLower() + u'.' + QString::number(i) + QStringLiteral("@esempio.it")});
    }
    t.commit();
}

// Reads the first page of the grid as the view paints it.
void primaPagina(shell::DataSetModel& model)
{
    const int righe = qMin(kPagina, model.rowCount());
    for (int r = 0; r < righe; ++r) {
        for (int c = 0; c < model.columnCount(); ++c)
            (void)model.data(model.index(r, c));
    }
}

const QStringList kColonne = {QStringLiteral("Nome"), QStringLiteral("Cognome"),
                              QStringLiteral("Numero"), QStringLiteral("Mail")};

// count + first page of the grid, as the sqlite3 tool runs it.
QString gemello(const QString& where)
{
    const QString w = where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where;
    return QStringLiteral("SELECT count(*) FROM records%1; SELECT Nome, Cognome, Numero, Mail "
                          "FROM records%1 ORDER BY rowid LIMIT %2;")
        .arg(w)
        .arg(kPagina);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int quanti = argc > 1 ? QByteArray(argv[1]).toInt() : 1000000;
    const bench::AppFolder folder;
    const QString file = folder.path(QStringLiteral("Rubry.Db"));

    bench::report("contacts_build_1m", bench::timeMs([&] { creaRubrica(quanti); }, 1));

    // Opening the search window: TblAllFx opened with its (empty) filter, the grid over it.
    bench::report("contacts_open_search_window", bench::compare(
                                                     [&] {
                                                         Table tbl(QStringLiteral("Rubry.db"));
                                                         tbl.setFiltered(true);
                                                         tbl.open();
                                                         shell::DataSetModel model(&tbl);
                                                         model.setColumns(kColonne);
                                                         primaPagina(model);
                                                     },
                                                     file, gemello(QString())));

    // Searches on the open window as its search button runs them: bound filter values,
    // the filter switched on, the count for the label, the grid. Before each run the
    // previous result is forgotten (untimed) by a search of another kind.
    struct Ricerca
    {
        const char* nome;
        QList<QPair<QString, QString>> termini;
        QString where;
    };
    const Ricerca ricerche[] = {
        {"contacts_search_exact_surname",
         {{QStringLiteral("Cognome"), QStringLiteral("Rossi7")}},
         QStringLiteral("Cognome = 'Rossi7'")},
        {"contacts_search_prefix_surname",
         {{QStringLiteral("Cognome"), QStringLiteral("Ross*")}},
         QStringLiteral("Cognome GLOB 'Ross*'")},
        {"contacts_search_apostrophe",
         {{QStringLiteral("Cognome"), QStringLiteral("D'Amico12")}},
         QStringLiteral("Cognome = 'D''Amico12'")},
        {"contacts_search_name_and_number",
         {{QStringLiteral("Nome"), QStringLiteral("Mario")},
          {QStringLiteral("Numero"), QStringLiteral("600000017")}},
         QStringLiteral("Nome = 'Mario' AND Numero = '600000017'")},
        {"contacts_search_none_found",
         {{QStringLiteral("Mail"), QStringLiteral("nessuno@x.it")}},
         QStringLiteral("Mail = 'nessuno@x.it'")},
        {"contacts_search_no_criterion", {}, QString()},
    };
    {
        Table tbl(QStringLiteral("Rubry.db"));
        tbl.setFiltered(true);
        tbl.open();
        shell::DataSetModel model(&tbl);
        model.setColumns(kColonne);
        for (const Ricerca& r : ricerche) {
            int trovati = 0;
            const QList<QPair<QString, QString>> altra =
                r.termini.isEmpty() ? QList<QPair<QString, QString>>{{QStringLiteral("Numero"),
                                                                      QStringLiteral("600000001")}}
                                    : QList<QPair<QString, QString>>{};
            const bench::Pair p = bench::compare(
                [&] {
                    tbl.setFilterValues(r.termini);
                    tbl.setFiltered(true);
                    trovati = tbl.recordCount();
                    primaPagina(model);
                },
                file, gemello(r.where), 5, [&] { tbl.setFilterValues(altra); });
            std::fprintf(stderr, "%s: %d found\n", r.nome, trovati);
            bench::report(r.nome, p);
        }
    }

    // Opening the browse window: its query and the first record's fields.
    bench::report("contacts_open_browse_window",
                  bench::compare(
                      [&] {
                          Query q;
                          q.setSql(QStringLiteral("select * from rubry.db order by numid"));
                          q.open();
                          q.first();
                          for (const QString& f : kColonne)
                              (void)q.fieldByName(f).asString();
                      },
                      file, QStringLiteral("SELECT * FROM records ORDER BY NumID LIMIT 1;")));
    return 0;
}
