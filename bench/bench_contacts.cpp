// Engine work behind the address book windows over 1,000,000 contacts:
// opening the search window (its table cursor and grid model), a search (filter, count,
// first page of the grid) and opening the browse window (its query and first record).
// One line per measure: NAME ours_ms=N [sqlite3_ms=N ratio=R].

#include "engine/DataSet.h"
#include "platform/AppFolder.h"
#include "shell/DataSetModel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

namespace {

constexpr int kContatti = 1'000'000;
constexpr int kPagina = 20; // rows the grid shows at once

const char* kCognomi[] = {"Rossi",  "Bianchi", "Verdi", "Neri",   "Russo", "Ferrari", "Esposito",
                          "Romano", "Colombo", "Ricci", "Marino", "Greco", "Bruno",   "Gallo"};
const char* kNomi[] = {"Mario", "Luigi", "Anna",   "Giulia", "Marco",  "Paolo", "Sara",
                       "Laura", "Luca",  "Franco", "Elena",  "Chiara", "Davide"};

void crea()
{
    engine::Table t(QStringLiteral("Rubry.Db"));
    t.fieldDefs = {
        {QStringLiteral("NumID"), engine::FieldKind::AutoInc, 0, true},
        {QStringLiteral("Cognome"), engine::FieldKind::String, 50, false},
        {QStringLiteral("Nome"), engine::FieldKind::String, 50, false},
        {QStringLiteral("Numero"), engine::FieldKind::String, 20, false},
        {QStringLiteral("Mail"), engine::FieldKind::String, 40, false},
    };
    t.createTable();
    t.open();
    t.startTransaction();
    for (int i = 0; i < kContatti; ++i) {
        const QString cognome =
            QString::fromLatin1(kCognomi[i % std::size(kCognomi)]) + QString::number(i % 1000);
        const QString nome = QString::fromLatin1(kNomi[(i / 7) % std::size(kNomi)]);
        t.insertRecord({QVariant(), cognome, nome,
                        QStringLiteral("06%1").arg(i, 7, 10, QLatin1Char('0')),
                        nome.toLower() + u'.' + cognome.toLower() + QStringLiteral("@esempio.it")});
    }
    t.commit();
    t.close();
}

double misura(const std::function<void()>& lavoro)
{
    QElapsedTimer t;
    t.start();
    lavoro();
    return t.nsecsElapsed() / 1e6;
}

// Reads the first page of a grid model as the view would paint it.
void primaPagina(DataSetModel& model)
{
    const int righe = qMin(kPagina, model.rowCount());
    for (int r = 0; r < righe; ++r) {
        for (int c = 0; c < model.columnCount(); ++c)
            (void)model.index(r, c).data();
    }
}

// The same statement timed by the sqlite3 shell (.timer on), or a negative number.
double sqlite3Ms(const QString& file, const QString& sql)
{
    const QString programma = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (programma.isEmpty())
        return -1;
    QProcess p;
    p.start(programma, {file});
    if (!p.waitForStarted())
        return -1;
    p.write(QStringLiteral(".timer on\n.output /dev/null\n%1;\n").arg(sql).toUtf8());
    p.closeWriteChannel();
    if (!p.waitForFinished(120000))
        return -1;
    const QString out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    const QRegularExpression re(QStringLiteral("Run Time: real ([0-9.]+)"));
    double totale = -1;
    for (auto it = re.globalMatch(out); it.hasNext();) {
        totale = qMax(0.0, totale) + it.next().captured(1).toDouble() * 1000.0;
    }
    return totale;
}

void riga(const char* nome, double ours, double sqlite = -1)
{
    if (sqlite > 0)
        std::printf("%s ours_ms=%.1f sqlite3_ms=%.1f ratio=%.2f\n", nome, ours, sqlite,
                    ours / sqlite);
    else
        std::printf("%s ours_ms=%.1f\n", nome, ours);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    qputenv(platform::kAppFolderVariable, dir.path().toLocal8Bit());

    const double creazione = misura(crea);
    std::fprintf(stderr, "created %d contacts in %.0f ms\n", kContatti, creazione);

    {
        // Opening the search window: its cursor and the grid over it.
        engine::Table tbl(QStringLiteral("Rubry.db"));
        tbl.setFiltered(true);
        DataSetModel* model = nullptr;
        riga("open_search_window", misura([&] {
                 tbl.open();
                 model = new DataSetModel(&tbl);
                 model->setColumns({QStringLiteral("Nome"), QStringLiteral("Cognome"),
                                    QStringLiteral("Numero"), QStringLiteral("Mail")});
                 primaPagina(*model);
             }));

        struct Ricerca
        {
            const char* nome;
            QList<QPair<QString, QString>> termini;
        };
        const Ricerca ricerche[] = {
            {"search_exact_surname", {{QStringLiteral("Cognome"), QStringLiteral("Rossi0")}}},
            {"search_prefix_surname", {{QStringLiteral("Cognome"), QStringLiteral("Ross*")}}},
            {"search_name_and_number",
             {{QStringLiteral("Nome"), QStringLiteral("Mario")},
              {QStringLiteral("Numero"), QStringLiteral("060000000")}}},
            {"search_none_found", {{QStringLiteral("Mail"), QStringLiteral("nessuno@x.it")}}},
            {"search_no_criterion", {}},
        };
        for (const Ricerca& r : ricerche) {
            int trovati = 0;
            const double ms = misura([&] {
                tbl.setFilterValues(r.termini);
                trovati = tbl.recordCount();
                primaPagina(*model);
            });
            std::fprintf(stderr, "%s: %d found\n", r.nome, trovati);
            riga(r.nome, ms);
        }
        delete model;
        tbl.close();
    }

    {
        // Opening the browse window: its query and the first record.
        engine::Query q;
        q.setSql(QStringLiteral("select * from rubry.db order by numid"));
        QString primo;
        riga("open_browse_window", misura([&] {
                 q.open();
                 q.first();
                 primo = q.fieldByName(QStringLiteral("Cognome")).asString();
             }));
        q.close();
    }
    return 0;
}
