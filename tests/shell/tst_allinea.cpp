// Table alignment over real table files: creation, tables left alone, rebuilds that carry
// the records over, refused records and their log, left-over and recovered temporary tables.

#include "TestEnv.h"
#include "contacts/Rubrica.h"
#include "export/CreaTabelleGenerali.h"
#include "shell/Allinea.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtTest>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

using engine::FieldDef;
using engine::FieldDefs;
using engine::FieldKind;
using engine::IndexDef;
using engine::IndexDefs;
using engine::IndexOption;

Q_DECLARE_METATYPE(engine::FieldDefs)

namespace {

using Rows = QList<QVariantList>;

// Makes a table file with a structure and records (values in field order, null for
// auto-increment fields).
void creaTabella(const QString& name, const FieldDefs& fields, const Rows& rows,
                 const IndexDefs& indexes = {})
{
    engine::Table t(name);
    t.fieldDefs = fields;
    t.indexDefs = indexes;
    t.createTable();
    t.open();
    for (const QVariantList& row : rows)
        t.insertRecord(row);
    t.close();
}

// Every record of a table, as text, in the engine's order.
QList<QStringList> leggi(const QString& name, const QStringList& fields)
{
    QList<QStringList> out;
    engine::Table t(name);
    t.open();
    for (t.first(); !t.eof(); t.next()) {
        QStringList row;
        for (const QString& f : fields)
            row << t.fieldByName(f).asString();
        out << row;
    }
    t.close();
    return out;
}

FieldDefs campiStored(const QString& name)
{
    engine::Table t(name);
    t.open();
    const FieldDefs fields = t.storedFields();
    t.close();
    return fields;
}

engine::IndexDefs indiciStored(const QString& name)
{
    engine::Table t(name);
    t.open();
    const IndexDefs indexes = t.storedIndexes();
    t.close();
    return indexes;
}

// Name, kind and size of each field: what the declaration fixes.
QStringList forma(const FieldDefs& fields)
{
    QStringList out;
    for (const FieldDef& f : fields)
        out << QStringLiteral("%1/%2/%3").arg(f.name).arg(int(f.kind)).arg(f.size);
    return out;
}

FieldDefs campiRubrica()
{
    engine::Table t;
    DichiaraCampiRubrica(t);
    return t.fieldDefs;
}

void allineaRubrica()
{
    engine::Table t(QString::fromLatin1(kTabellaRubrica));
    DichiaraCampiRubrica(t);
    AllineaTabella(t);
    QCOMPARE(t.tableName(), QStringLiteral("Rubry.Db"));
    QVERIFY(t.fieldDefs.isEmpty());
    QVERIFY(t.indexDefs.isEmpty());
}

struct Impronta
{
    QByteArray hash;
    QDateTime modified;
    bool operator==(const Impronta&) const = default;
};

Impronta impronta(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return {QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256),
            QFileInfo(path).lastModified()};
}

// Files of the folder other than the log: no temporary table may be left behind.
QStringList tabelle(const testing_support::TestEnv& env)
{
    QStringList files = QDir(env.folder()).entryList(QDir::Files);
    files.sort();
    return files;
}

const QStringList kCampiRubrica = {"NumID", "Cognome", "Nome", "Numero", "Mail"};

// Two contacts in an older or temporary table, numbered by the engine.
const Rows kDueContatti = {{QVariant(), "Rossi", "Mario", "06", "m@x.it"},
                           {QVariant(), "Bianchi", "Anna", "02", "a@x.it"}};

// After a rebuild: the declared contacts table alone, holding both contacts in order.
void dueContattiRiportati(const testing_support::TestEnv& env)
{
    QCOMPARE(tabelle(env), QStringList{"Rubry.Db"});
    QCOMPARE(forma(campiStored("Rubry.Db")), forma(campiRubrica()));
    QCOMPARE(leggi("Rubry.Db", kCampiRubrica),
             (QList<QStringList>{{"1", "Rossi", "Mario", "06", "m@x.it"},
                                 {"2", "Bianchi", "Anna", "02", "a@x.it"}}));
}

} // namespace

class TstAllinea : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void missingTableIsCreatedEmpty()
    {
        testing_support::TestEnv env;
        allineaRubrica();
        QCOMPARE(tabelle(env), QStringList{"Rubry.Db"});
        QCOMPARE(forma(campiStored("Rubry.Db")), forma(campiRubrica()));
        QVERIFY(indiciStored("Rubry.Db").isEmpty());
        QVERIFY(leggi("Rubry.Db", kCampiRubrica).isEmpty());
        QVERIFY(env.desktop.boxes.isEmpty());
    }

    void agreeingTableIsLeftAlone_data()
    {
        QTest::addColumn<FieldDefs>("stored");
        const FieldDefs declared = campiRubrica();
        QTest::newRow("same structure") << declared;
        FieldDefs extra = declared;
        extra << FieldDef{"Citta", FieldKind::String, 30, false};
        QTest::newRow("extra field kept") << extra;
        FieldDefs upper = declared;
        upper[2].name = "NOME";
        upper[1].required = true;
        QTest::newRow("name case and required flag") << upper;
    }
    void agreeingTableIsLeftAlone()
    {
        QFETCH(FieldDefs, stored);
        testing_support::TestEnv env;
        QVariantList row = {QVariant(), "Rossi", "Mario", "0612345", "mario@example.com"};
        while (row.size() < stored.size())
            row << "Roma";
        creaTabella("Rubry.Db", stored, {row, row});
        const Impronta before = impronta(env.file("Rubry.Db"));
        const QList<QStringList> records = leggi("Rubry.Db", kCampiRubrica);

        allineaRubrica();

        QCOMPARE(impronta(env.file("Rubry.Db")), before);
        QCOMPARE(forma(campiStored("Rubry.Db")), forma(stored));
        QCOMPARE(leggi("Rubry.Db", kCampiRubrica), records);
        QCOMPARE(tabelle(env), QStringList{"Rubry.Db"});
        QVERIFY(env.desktop.boxes.isEmpty());
    }

    // A memo's stored size is not compared.
    void memoSizeIsIgnored()
    {
        testing_support::TestEnv env;
        FieldDefs stored = {{"Codice", FieldKind::Integer, 0, false},
                            {"Note", FieldKind::Memo, 240, false}};
        creaTabella("Note.db", stored, {{1, "testo lungo"}});
        const Impronta before = impronta(env.file("Note.db"));
        engine::Table t("Note.db");
        t.fieldDefs = {{"Codice", FieldKind::Integer, 0, false},
                       {"Note", FieldKind::Memo, 0, false}};
        AllineaTabella(t);
        QCOMPARE(impronta(env.file("Note.db")), before);
    }

    void rebuildCarriesRecordsOver_data()
    {
        QTest::addColumn<FieldDefs>("stored");
        QTest::addColumn<QList<QStringList>>("expected");
        const FieldDefs declared = campiRubrica();
        // Stored records: NumID 1..4 with number 2 deleted, so the old numbers are 1, 3, 4.
        FieldDefs shorter = declared;
        shorter[1].size = 30;
        QTest::newRow("string size")
            << shorter
            << QList<QStringList>{{"1", "Rossi", "Mario", "0612345", "m@x.it"},
                                  {"2", "Bianchi", "Anna", "0298765", "a@x.it"},
                                  {"3", QStringLiteral("Niccolò"), "Luca", "011", ""}};
        FieldDefs noMail = declared;
        noMail.removeLast();
        QTest::newRow("field missing")
            << noMail
            << QList<QStringList>{{"1", "Rossi", "Mario", "0612345", ""},
                                  {"2", "Bianchi", "Anna", "0298765", ""},
                                  {"3", QStringLiteral("Niccolò"), "Luca", "011", ""}};
        FieldDefs numeric = declared;
        numeric[3].kind = FieldKind::Integer;
        numeric[3].size = 0;
        QTest::newRow("other kind")
            << numeric
            << QList<QStringList>{{"1", "Rossi", "Mario", "612345", "m@x.it"},
                                  {"2", "Bianchi", "Anna", "298765", "a@x.it"},
                                  {"3", QStringLiteral("Niccolò"), "Luca", "11", ""}};
    }
    void rebuildCarriesRecordsOver()
    {
        QFETCH(FieldDefs, stored);
        QFETCH(QList<QStringList>, expected);
        testing_support::TestEnv env;
        const bool hasMail = stored.size() == 5;
        const bool numeric = stored[3].kind == FieldKind::Integer;
        auto row = [&](const QString& c, const QString& n, const QString& num, const QString& m) {
            QVariantList r = {QVariant(), c, n};
            r << (numeric ? QVariant(num.toLongLong()) : QVariant(num));
            if (hasMail)
                r << m;
            return r;
        };
        creaTabella("Rubry.Db", stored,
                    {row("Rossi", "Mario", "0612345", "m@x.it"),
                     row("Verdi", "Gino", "1", "g@x.it"),
                     row("Bianchi", "Anna", "0298765", "a@x.it"),
                     row(QStringLiteral("Niccolò"), "Luca", "011", "")});
        {
            engine::Table t("Rubry.Db");
            t.open();
            t.setRecNo(2);
            t.deleteRecord();
            t.close();
        }

        allineaRubrica();

        QCOMPARE(forma(campiStored("Rubry.Db")), forma(campiRubrica()));
        QCOMPARE(leggi("Rubry.Db", kCampiRubrica), expected);
        QCOMPARE(tabelle(env), QStringList{"Rubry.Db"});
        QVERIFY(env.desktop.boxes.isEmpty());
        // The rebuilt table numbers on from its own records.
        engine::Table t("Rubry.Db");
        t.open();
        t.insertRecord({QVariant(), "Neri", "Ugo", "", ""});
        t.last();
        QCOMPARE(t.fieldByName("NumID").asInteger(), 4);
        t.close();
    }

    void templateRebuildKeepsProgr()
    {
        testing_support::TestEnv env;
        // An older template table: no FISSO field, a shorter description.
        engine::Table declared;
        DichiaraCampiModelli(declared);
        FieldDefs old = declared.fieldDefs;
        old.removeLast();
        old[2].size = 30;
        QVariantList base;
        for (int i = 0; i < old.size(); ++i)
            base << QVariant();
        Rows rows;
        for (int progr : {7, 2, 11}) {
            QVariantList r = base;
            r[0] = progr;
            r[2] = QStringLiteral("Modello %1").arg(progr);
            r[9] = progr % 2;
            rows << r;
        }
        creaTabella("tabexport.db", old, rows, declared.indexDefs);

        CreaTabellaModelli();

        QCOMPARE(forma(campiStored("tabexport.db")), forma(declared.fieldDefs));
        QList<QStringList> got = leggi("tabexport.db", {"PROGR", "DESCR", "txtOxls"});
        std::sort(got.begin(), got.end(), [](const QStringList& a, const QStringList& b) {
            return a[0].toInt() < b[0].toInt();
        });
        QCOMPARE(got,
                 (QList<QStringList>{
                     {"2", "Modello 2", "0"}, {"7", "Modello 7", "1"}, {"11", "Modello 11", "1"}}));
        QCOMPARE(tabelle(env), QStringList{"tabexport.db"});
    }

    // The engine reads the declared primary index back as primary and unique: no rebuild.
    void primaryIndexAgrees()
    {
        testing_support::TestEnv env;
        CreaTabellaModelli();
        const IndexDefs stored = indiciStored("tabexport.db");
        QCOMPARE(stored.size(), 1);
        QVERIFY(stored[0].options.testFlag(IndexOption::Primary));
        QCOMPARE(stored[0].fields, QStringLiteral("PROGR"));
        {
            engine::Table t("tabexport.db");
            t.open();
            QVariantList r(14);
            r[0] = 1;
            r[2] = "Primo";
            t.insertRecord(r);
            t.close();
        }
        const Impronta before = impronta(env.file("tabexport.db"));
        CreaTabellaModelli();
        QCOMPARE(impronta(env.file("tabexport.db")), before);
    }

    // Records the new table refuses: a required field without a value, a unique key clash.
    void refusedRecordsAreLoggedAndCounted()
    {
        testing_support::TestEnv env;
        const QByteArray previous = "riga precedente\r\n";
        env.writeFile("dberrori.log", previous);
        const FieldDefs old = {{"Codice", FieldKind::Integer, 0, false},
                               {"Testo", FieldKind::String, 20, false}};
        creaTabella(
            "Prova.db", old,
            {{1, "primo"}, {QVariant(), QStringLiteral("città")}, {1, "doppio"}, {2, "secondo"}});

        engine::Table t("Prova.db");
        t.fieldDefs = {{"Codice", FieldKind::Integer, 0, true},
                       {"Testo", FieldKind::String, 30, false}};
        t.indexDefs = {IndexDef{"ixCodice", "Codice", QString(), IndexOption::Unique}};
        AllineaTabella(t);

        QCOMPARE(leggi("Prova.db", {"Codice", "Testo"}),
                 (QList<QStringList>{{"1", "primo"}, {"2", "secondo"}}));
        QCOMPARE(tabelle(env), (QStringList{"Prova.db", "dberrori.log"}));

        const QString warning =
            QStringLiteral("Trovati errori in fase di aggiornamento tabella.+#1310+"
                           "Consultare il file ") +
            env.folder() + QStringLiteral("dberrori.log e contattare Zentor Zudizeveda.");
        QCOMPARE(env.desktop.boxes.size(), 3);
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(env.desktop.boxes[i].caption, QStringLiteral("Attenzione."));
            QCOMPARE(env.desktop.boxes[i].text, warning);
        }
        QCOMPARE(env.desktop.boxes[2].caption, QStringLiteral("Messaggio."));
        QCOMPARE(
            env.desktop.boxes[2].text,
            QStringLiteral("Attenzione! alla tabella: Prova.db mancano n. 2 records (righe)."));

        const QByteArray bytes = env.readFile("dberrori.log");
        QVERIFY(bytes.startsWith(previous));
        QVERIFY(bytes.endsWith("\r\n"));
        QCOMPARE(bytes.count("\n"), bytes.count("\r\n")); // every line ends with CR LF
        QCOMPARE(bytes.count("\r"), bytes.count("\r\n"));
        QVERIFY(bytes.contains("Testo: 'citt\xe0'")); // Windows-1252
        QVERIFY(!bytes.contains("citt\xc3\xa0"));

        QStringList lines = QString::fromLatin1(bytes.mid(previous.size())).split("\r\n");
        QCOMPARE(lines.takeLast(), QString()); // after the final CR LF
        QCOMPARE(lines.size(), 2 * 10);
        const QRegularExpression when(QStringLiteral("^data e ora: \\S.* \\S+"));
        const QRegularExpression error(QStringLiteral("^Errore: .+ - Help context: \\d+$"));
        const QStringList refused[2] = {{"Codice: ''", QStringLiteral("Testo: 'città'")},
                                        {"Codice: '1'", "Testo: 'doppio'"}};
        QStringList helpContexts;
        for (int b = 0; b < 2; ++b) {
            const QStringList block = lines.mid(b * 10, 10);
            QCOMPARE(block[0], QString());
            QVERIFY2(when.match(block[1]).hasMatch(), qPrintable(block[1]));
            QVERIFY2(error.match(block[2]).hasMatch(), qPrintable(block[2]));
            helpContexts << block[2].section(' ', -1);
            QCOMPARE(block[3], QStringLiteral("DATI RECORD TABELLA ORIGINE: Prova.db, DATABASE: "));
            QCOMPARE(block.mid(4, 2), refused[b]);
            QCOMPARE(block[6], QString());
            QCOMPARE(
                block[7],
                QStringLiteral("DATI RECORD TABELLA DESTINAZIONE:Prova.dbAPPOGGIO.db, DATABASE: "));
            // The values the refused new record held.
            QCOMPARE(block.mid(8, 2), refused[b]);
        }
        QVERIFY(helpContexts[0] != helpContexts[1]); // two different refusals
    }

    void leftOverTemporaryTableIsReplaced()
    {
        testing_support::TestEnv env;
        creaTabella(
            "Rubry.DbAPPOGGIO.Db",
            {{"Altro", FieldKind::String, 5, false}, {"NumID", FieldKind::Integer, 0, false}},
            {{"x", 99}, {"y", 98}});
        FieldDefs old = campiRubrica();
        old[4].size = 30;
        creaTabella("Rubry.Db", old, kDueContatti);

        allineaRubrica();

        dueContattiRiportati(env);
    }

    // An earlier swap stopped after the old table was gone: the records lie only in the
    // temporary table, and the next start takes them from there.
    void recoveryFromTemporaryTable_data()
    {
        QTest::addColumn<FieldDefs>("stored");
        FieldDefs declared = campiRubrica();
        QTest::newRow("declared structure") << declared;
        FieldDefs older = declared;
        older[1].size = 40;
        QTest::newRow("older structure") << older;
    }
    void recoveryFromTemporaryTable()
    {
        QFETCH(FieldDefs, stored);
        testing_support::TestEnv env;
        creaTabella("Rubry.DbAPPOGGIO.Db", stored, kDueContatti);

        allineaRubrica();

        dueContattiRiportati(env);
        QVERIFY(env.desktop.boxes.isEmpty());
    }

#ifndef Q_OS_WIN
    // Another program has the old table open (its shared lock): the new table cannot take
    // its place. The message is shown, the old table keeps every record, and the next
    // start rebuilds over the left-over temporary table.
    void swapRefusedWhileTableInUse()
    {
        testing_support::TestEnv env;
        FieldDefs old = campiRubrica();
        old[2].size = 10;
        creaTabella("Rubry.Db", old, kDueContatti);
        const Impronta before = impronta(env.file("Rubry.Db"));

        const int fd = ::open(QFile::encodeName(env.file("Rubry.Db")).constData(), O_RDONLY);
        QVERIFY(fd >= 0);
        QCOMPARE(::flock(fd, LOCK_SH | LOCK_NB), 0);
        allineaRubrica();
        ::close(fd);

        QCOMPARE(env.desktop.texts(),
                 QStringList{QStringLiteral("Non riesco ad aggiornare la tabella: 'Rubry.Db'")});
        QCOMPARE(env.desktop.boxes[0].caption, QStringLiteral("Errore"));
        QCOMPARE(impronta(env.file("Rubry.Db")), before);
        QCOMPARE(tabelle(env), (QStringList{"Rubry.Db", "Rubry.DbAPPOGGIO.Db"}));

        env.desktop.clear();
        allineaRubrica();
        QVERIFY(env.desktop.boxes.isEmpty());
        dueContattiRiportati(env);
    }
#endif

    // A temporary file that is no table holds nothing to recover: the declared table is
    // made empty, and the file is left for the next rebuild to replace.
    void unreadableTemporaryIsNotRecovered()
    {
        testing_support::TestEnv env;
        env.writeFile("Rubry.DbAPPOGGIO.Db", "rovinato");
        allineaRubrica();
        QCOMPARE(tabelle(env), (QStringList{"Rubry.Db", "Rubry.DbAPPOGGIO.Db"}));
        QCOMPARE(forma(campiStored("Rubry.Db")), forma(campiRubrica()));
        QVERIFY(leggi("Rubry.Db", kCampiRubrica).isEmpty());
        QVERIFY(env.desktop.boxes.isEmpty());
    }

    // The existing table cannot be opened: the engine's error reaches the caller, the file
    // is not touched and the object carries its declared name again.
    void unreadableTableRaises()
    {
        testing_support::TestEnv env;
        env.writeFile("Rubry.Db", "questo non e' un archivio");
        engine::Table t(QString::fromLatin1(kTabellaRubrica));
        DichiaraCampiRubrica(t);
        QVERIFY_THROWS_EXCEPTION(zr::Error, AllineaTabella(t));
        QCOMPARE(t.tableName(), QStringLiteral("Rubry.Db"));
        QCOMPARE(env.readFile("Rubry.Db"), QByteArray("questo non e' un archivio"));
    }
};

QTEST_GUILESS_MAIN(TstAllinea)
#include "tst_allinea.moc"
