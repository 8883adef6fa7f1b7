// Exchange file speed, side by side with the sqlite3 command-line tool on the same data:
//   export     100,000 contacts to the exchange file   vs  sqlite3 -csv writing them
//   merge      a 100,000-line file into 100,000 contacts vs  sqlite3 .import of that file
// Prints one line per measure: NAME ours_ms=N sqlite3_ms=N ratio=X (best of five runs, the two
// sides taking turns). The import twin is timed as a whole process run (".import" is a
// dot-command, which the tool's timer does not measure).

#include "BenchSupport.h"
#include "contacts/ScambioDati.h"
#include "engine/DataSet.h"
#include "platform/AppFolder.h"
#include "platform/RecordingDesktop.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>
#include <functional>

namespace {

constexpr int kContatti = 100000;
constexpr int kGiri = 5;

void creaRubrica(int da, int quanti)
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
    for (int i = da; i < da + quanti; ++i)
        t.insertRecord({QVariant(), QStringLiteral("Cognome%1").arg(i),
                        QStringLiteral("Nome%1").arg(i), QStringLiteral("06%1").arg(i),
                        QStringLiteral("contatto%1@esempio.it").arg(i)});
    t.commit();
    t.close();
}

// An exchange file of contacts da .. da+quanti-1.
void scriviFileScambio(const QString& nome, int da, int quanti)
{
    QFile f(nome);
    f.open(QIODevice::WriteOnly);
    QByteArray testo("Nome e cognome;Posta elettronica;Telefono (ab.)\r\n");
    for (int i = da; i < da + quanti; ++i)
        testo +=
            QStringLiteral("Nome%1 Cognome%1;contatto%1@esempio.it;06%1;\r\n").arg(i).toLatin1();
    f.write(testo);
}

qint64 sqlite3(const QString& db, const QStringList& argomenti, const QString& uscita = {})
{
    QProcess p;
    if (!uscita.isEmpty())
        p.setStandardOutputFile(uscita);
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral("sqlite3"), QStringList{db} + argomenti);
    p.waitForFinished(-1);
    const qint64 ms = t.elapsed();
    if (p.exitCode() != 0)
        std::fprintf(stderr, "sqlite3 failed: %s\n", p.readAllStandardError().constData());
    return ms;
}

// Runs both sides in turn, so a busy machine slows both alike; keeps the best of each.
QPair<qint64, qint64> confronta(int volte, const std::function<qint64()>& nostri,
                                const std::function<qint64()>& loro)
{
    qint64 a = -1;
    qint64 b = -1;
    for (int i = 0; i < volte; ++i) {
        const qint64 x = nostri();
        const qint64 y = loro();
        a = a < 0 ? x : qMin(a, x);
        b = b < 0 ? y : qMin(b, y);
    }
    return {a, b};
}

void stampa(const char* nome, qint64 nostri, qint64 loro)
{
    std::printf("%s ours_ms=%lld sqlite3_ms=%lld ratio=%.2f\n", nome, (long long)nostri,
                (long long)loro, loro > 0 ? double(nostri) / double(loro) : 0.0);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (QStandardPaths::findExecutable(QStringLiteral("sqlite3")).isEmpty()) {
        std::fprintf(stderr, "sqlite3 is not on PATH\n");
        return 1;
    }
    QTemporaryDir cartella;
    const QString dir = cartella.path() + u'/';
    qputenv(platform::kAppFolderVariable, cartella.path().toLocal8Bit());
    platform::RecordingDesktop desktop;

    // The same contacts for both sides: our table, and a plain SQLite file loaded by
    // sqlite3 from the same exchange file.
    creaRubrica(0, kContatti);
    const QString base = dir + QStringLiteral("base.csv");
    scriviFileScambio(base, 0, kContatti);
    const QString riferimento = dir + QStringLiteral("riferimento.sqlite");
    sqlite3(riferimento,
            {QStringLiteral("create table rubry(NumID integer primary key autoincrement, "
                            "NomeCognome text, Mail text, Numero text, Resto text)"),
             QStringLiteral("create table rubry_file(a, b, c, d)"), QStringLiteral(".separator ;"),
             QStringLiteral(".import --skip 1 %1 rubry_file").arg(base),
             QStringLiteral("insert into rubry(NomeCognome, Mail, Numero) select "
                            "a, b, c from rubry_file"),
             QStringLiteral("drop table rubry_file")});

    // Export: our table file read by both sides, the same columns, the same lines written
    // to a file ("Nome Cognome;Mail;Numero;" and CR LF). The tool's figure is its own
    // ".timer" of the statement (reading the schema, the rows and writing them), ours the
    // whole command (opening the query, encoding, writing the file in its place).
    bench::report(
        "export_100k",
        bench::compare([&] { EsportaRubricaSuFile(dir + QStringLiteral("esportati.csv")); },
                       dir + QStringLiteral("Rubry.Db"),
                       QStringLiteral(".mode list\n.separator \";\" \"\\r\\n\"\n"
                                      "SELECT Nome || ' ' || Cognome, Mail, Numero, '' FROM "
                                      "records;"),
                       kGiri, {}, dir + QStringLiteral("sqlite3.csv")));

    // Merge import: half of the file's lines are already in the table.
    const QString file = dir + QStringLiteral("importa.csv");
    scriviFileScambio(file, kContatti / 2, kContatti);
    const QString copiaRiferimento = dir + QStringLiteral("riferimento.copia");
    const auto importa = confronta(
        kGiri,
        [&] {
            creaRubrica(0, kContatti);
            desktop.answers = {platform::Answer::Yes, platform::Answer::No};
            QElapsedTimer t;
            t.start();
            const EsitoImportazione esito = ImportaRubricaDaFile(file);
            const qint64 ms = t.elapsed();
            if (esito.importati != kContatti / 2 || esito.doppioni != kContatti / 2)
                std::fprintf(stderr, "unexpected import: %d imported, %d duplicates\n",
                             esito.importati, esito.doppioni);
            return ms;
        },
        [&] {
            QFile::remove(copiaRiferimento);
            QFile::copy(riferimento, copiaRiferimento);
            return sqlite3(copiaRiferimento,
                           {QStringLiteral("create table importati(NomeCognome text, Mail text, "
                                           "Numero text, Resto text)"),
                            QStringLiteral(".separator ;"),
                            QStringLiteral(".import --skip 1 %1 importati").arg(file)});
        });
    stampa("merge_import_100k", importa.first, importa.second);
    return 0;
}
