// Export and import of the contact list through the exchange file, on a real table.

#include "RubricaFixture.h"
#include "TestEnv.h"
#include "contacts/ScambioDati.h"
#include "engine/DataSet.h"
#include "engine/Error.h"
#include "platform/Desktop.h"

#include <QtTest>

using platform::Answer;
using platform::Icon;
using testing_support::Contatto;
using testing_support::creaRubrica;
using testing_support::leggiRubrica;

namespace {

const QString kConferma = QStringLiteral(
    "L'importazione andrà (se successivamente confermato) a sovrascrivere i dati adesso "
    "esistenti.\rSicuro di voler effettuare tale operazione?");
const QString kCancellare = QStringLiteral(
    "Cancellare i record già presenti? Scegliere\rSi, se si vuole eliminare quelli già "
    "presenti;\rNo, se si vuole integrare con quelli già presenti.");
const QByteArray kHeader("Nome e cognome;Posta elettronica;Telefono (ab.)\r\n");

QList<Contatto> esempio()
{
    return {
        {"Rossi", "Niccolò", "0612", "n.rossi@x.it"},
        {"Bianchi", "", "333", ""},
        {"De Luca", "Anna", "", "anna@x.it"},
        {"D'Amico", "Piero", "06-1", "o'brien@x.it"},
    };
}

} // namespace

class TstScambio : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void esportaDueContatti()
    {
        testing_support::TestEnv env;
        creaRubrica({{"Rossi", "Niccolò", "0612", "n@x.it"}, {"Bianchi", "", "333", ""}});
        const EsitoEsportazione esito = EsportaRubricaSuFile(env.file("rubrica"));
        QVERIFY(esito.scritto);
        QCOMPARE(esito.contatti, 2);
        QCOMPARE(env.readFile("rubrica.csv"),
                 kHeader + QByteArray("\x4e\x69\x63\x63\x6f\x6c\xf2 Rossi;n@x.it;0612;\r\n"
                                      " Bianchi;;333;\r\n"));
        QCOMPARE(env.desktop.texts(), QStringList{"Operazione completata.\rEsportati 2 contatti"});
        QCOMPARE(env.desktop.boxes.at(0).caption, QStringLiteral("Messaggio."));
    }

    void esportaTabellaVuota()
    {
        testing_support::TestEnv env;
        creaRubrica({});
        EsportaRubricaSuFile(env.file("vuota"));
        QCOMPARE(env.readFile("vuota.csv"), kHeader);
        QCOMPARE(env.desktop.texts(), QStringList{"Operazione completata.\rEsportati 0 contatti"});
    }

    void suffissoCsv_data()
    {
        QTest::addColumn<QString>("scelto");
        QTest::addColumn<QString>("scritto");
        QTest::newRow("no extension") << "rubrica"
                                      << "rubrica.csv";
        QTest::newRow("already csv") << "rubrica.csv"
                                     << "rubrica.csv";
        QTest::newRow("upper case") << "RUBRICA.CSV"
                                    << "RUBRICA.CSV";
        QTest::newRow("other extension") << "rubrica.txt"
                                         << "rubrica.txt.csv";
    }
    void suffissoCsv()
    {
        QFETCH(QString, scelto);
        QFETCH(QString, scritto);
        testing_support::TestEnv env;
        creaRubrica({{"B", "A", "1", "a@b"}});
        env.writeFile(scritto, "old contents that are replaced");
        const EsitoEsportazione esito = EsportaRubricaSuFile(env.file(scelto));
        QCOMPARE(esito.file, env.file(scritto));
        QCOMPARE(env.readFile(scritto), kHeader + "A B;a@b;1;\r\n");
        const QStringList files = QDir(env.folder()).entryList({"*.csv", "*.CSV"}, QDir::Files);
        QCOMPARE(files, QStringList{scritto});
    }

    void esportaNomeVuoto()
    {
        testing_support::TestEnv env;
        creaRubrica({{"B", "A", "1", "a@b"}});
        QVERIFY(!EsportaRubricaSuFile(QString()).scritto);
        QCOMPARE(env.desktop.texts(), QStringList{"Impossibile completare l'esportazione."});
        QCOMPARE(env.desktop.boxes.at(0).icon, Icon::Warning);
        QVERIFY(QDir(env.folder()).entryList({"*.csv"}, QDir::Files).isEmpty());
    }

    void esportaCaratteriFuoriCodice()
    {
        testing_support::TestEnv env;
        creaRubrica({{"Nowak", "Łukasz", "1", "ł@x.pl"}, {"€uro", "Niccolò", "2", "n@x.it"}});
        const EsitoEsportazione esito = EsportaRubricaSuFile(env.file("r.csv"));
        QCOMPARE(esito.sostituiti, 2);
        QCOMPARE(env.readFile("r.csv"),
                 kHeader + "?ukasz Nowak;?@x.pl;1;\r\nNiccol\xf2 \x80uro;n@x.it;2;\r\n");
        QCOMPARE(env.desktop.texts(),
                 QStringList{"Operazione completata.\rEsportati 2 contatti\rValori con "
                             "caratteri non rappresentabili, scritti come \"?\": 2"});
    }

    void esportaFileNonScrivibile()
    {
        testing_support::TestEnv env;
        creaRubrica({{"B", "A", "1", "a@b"}});
        const EsitoEsportazione esito = EsportaRubricaSuFile(env.file("manca/dentro.csv"));
        QVERIFY(!esito.scritto);
        QCOMPARE(env.desktop.boxes.size(), 1);
        QCOMPARE(env.desktop.boxes.at(0).icon, Icon::Critical);
        QVERIFY(env.desktop.boxes.at(0).text.contains("dentro.csv"));
    }

    // A failure of the table reaches the error report; no file is left behind.
    void esportaSenzaTabella()
    {
        testing_support::TestEnv env;
        QVERIFY(!EsportaRubricaSuFile(env.file("r.csv")).scritto);
        QCOMPARE(env.desktop.boxes.size(), 1);
        QCOMPARE(env.desktop.boxes.at(0).icon, Icon::Critical);
        QCOMPARE(env.desktop.boxes.at(0).caption, platform::applicationTitle());
        QVERIFY(!env.desktop.boxes.at(0).text.isEmpty());
        QVERIFY(!QFile::exists(env.file("r.csv")));
    }

    // Exporting and importing in merge mode stores nothing new: every line with an e-mail
    // is a duplicate; a contact without an e-mail has nothing to be recognised by.
    void esportaReimportaIntegrando()
    {
        testing_support::TestEnv env;
        creaRubrica(esempio());
        EsportaRubricaSuFile(env.file("r.csv"));
        env.desktop.clear();
        env.desktop.answers = {Answer::Yes, Answer::No};
        const EsitoImportazione esito = ImportaRubricaDaFile(env.file("r.csv"));
        QVERIFY(esito.eseguita);
        QVERIFY(!esito.sostituzione);
        QCOMPARE(esito.doppioni, 3);
        QCOMPARE(esito.importati, 1);
        QCOMPARE(env.desktop.texts(),
                 (QStringList{kConferma, kCancellare,
                              "Operazione completata.\rImportati 1 contatti\rTrovati 3 doppioni"}));
        QList<Contatto> attesi = esempio();
        attesi.append(esempio().at(1));
        QCOMPARE(leggiRubrica(), attesi);
    }

    // Replace mode brings back the same contents, blanks, quotes and accents included.
    void esportaReimportaSostituendo()
    {
        testing_support::TestEnv env;
        QList<Contatto> contatti = esempio();
        contatti.append({"  Spazi  \"x\"", "Zoe", "1", "z@x"});
        creaRubrica(contatti);
        EsportaRubricaSuFile(env.file("r"));
        creaRubrica({{"Vecchio", "Altro", "9", "v@x"}});
        env.desktop.clear();
        env.desktop.answers = {Answer::Yes, Answer::Yes};
        const EsitoImportazione esito = ImportaRubricaDaFile(env.file("r.csv"));
        QVERIFY(esito.sostituzione);
        QCOMPARE(esito.importati, contatti.size());
        QCOMPARE(esito.doppioni, 0);
        QCOMPARE(leggiRubrica(), contatti);
        QCOMPARE(env.desktop.texts().last(),
                 "Operazione completata.\rImportati 5 contatti\rTrovati 0 doppioni");
    }

    void divisioneRighe_data()
    {
        QTest::addColumn<QByteArray>("riga");
        QTest::addColumn<Contatto>("atteso");
        QTest::newRow("name in two words") << QByteArray("Anna Maria Rossi;am@x.it;0612;")
                                           << Contatto{"Maria Rossi", "Anna", "0612", "am@x.it"};
        QTest::newRow("no blank") << QByteArray("Rossi;r@x;1;")
                                  << Contatto{"Rossi", "", "1", "r@x"};
        QTest::newRow("two semicolons")
            << QByteArray("A B;m@x;12") << Contatto{"B", "A", "", "m@x"};
        QTest::newRow("no semicolon") << QByteArray("A B m@x 12") << Contatto{"", "", "", ""};
        QTest::newRow("beyond third ignored")
            << QByteArray("A B;m@x;12;altro;") << Contatto{"B", "A", "12", "m@x"};
        QTest::newRow("cut to widths")
            << QByteArray(QByteArray(51, 'n') + " " + QByteArray(52, 'c') + ";" +
                          QByteArray(45, 'm') + ";" + QByteArray(25, '9') + ";")
            << Contatto{QString(50, 'c'), QString(50, 'n'), QString(20, '9'), QString(40, 'm')};
        QTest::newRow("windows-1252")
            << QByteArray("Niccol\xf2 Ros\xe8;;\x80;") << Contatto{"Rosè", "Niccolò", "€", ""};
        QTest::newRow("lone lf ends")
            << QByteArray("A B;m@x;1;\n") << Contatto{"B", "A", "1", "m@x"};
    }
    void divisioneRighe()
    {
        QFETCH(QByteArray, riga);
        QFETCH(Contatto, atteso);
        testing_support::TestEnv env;
        creaRubrica({{"One", "Old", "1", "o@x"}});
        env.writeFile("i.csv", kHeader + "X Y;xy@x;5;\r\n" + riga);
        env.desktop.answers = {Answer::Yes, Answer::Yes};
        const EsitoImportazione esito = ImportaRubricaDaFile(env.file("i.csv"));
        QCOMPARE(esito.importati, 2);
        QCOMPARE(leggiRubrica(), (QList<Contatto>{{"Y", "X", "5", "xy@x"}, atteso}));
    }

    void fileUtf8ConBom()
    {
        testing_support::TestEnv env;
        creaRubrica({});
        env.writeFile("u.csv",
                      "\xEF\xBB\xBF" + kHeader + "Niccol\xC3\xB2 \xC5\x81ukasiewicz;n@x;1;\r\n");
        env.desktop.answers = {Answer::Yes, Answer::Yes};
        ImportaRubricaDaFile(env.file("u.csv"));
        QCOMPARE(leggiRubrica(), (QList<Contatto>{{"Łukasiewicz", "Niccolò", "1", "n@x"}}));
    }

    void fileUtf8SenzaBom()
    {
        testing_support::TestEnv env;
        creaRubrica({});
        env.writeFile("u.csv", kHeader + "Jos\xC3\xA9 M\xC3\xBCller;j@x;1;\r\n");
        env.desktop.answers = {Answer::Yes, Answer::Yes};
        ImportaRubricaDaFile(env.file("u.csv"));
        QCOMPARE(leggiRubrica(), (QList<Contatto>{{"Müller", "José", "1", "j@x"}}));
    }

    // Refused before the table is touched: also when later lines would be valid, and even
    // when there is no table to open.
    void secondaRigaSenzaSeparatore_data()
    {
        QTest::addColumn<bool>("conTabella");
        QTest::newRow("table") << true;
        QTest::newRow("no table") << false;
    }
    void secondaRigaSenzaSeparatore()
    {
        QFETCH(bool, conTabella);
        testing_support::TestEnv env;
        if (conTabella)
            creaRubrica(esempio());
        env.writeFile("bad.csv", kHeader + "Solo testo\r\nA B;a@x;1;\r\nC D;c@x;2;\r\n");
        env.desktop.answers = {Answer::Yes, Answer::Yes};
        QVERIFY(!ImportaRubricaDaFile(env.file("bad.csv")).eseguita);
        QCOMPARE(env.desktop.texts(),
                 (QStringList{kConferma, "Incoerenza di dati nel file di importazione"}));
        QCOMPARE(env.desktop.boxes.last().caption, QStringLiteral("Errore"));
        if (conTabella)
            QCOMPARE(leggiRubrica(), esempio());
        else
            QVERIFY(!engine::Table(QStringLiteral("Rubry.Db")).exists());
    }

    void fileSenzaContatti_data()
    {
        QTest::addColumn<QByteArray>("contenuto");
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("header only") << kHeader;
        QTest::newRow("header without line end") << kHeader.left(kHeader.size() - 2);
    }
    void fileSenzaContatti()
    {
        QFETCH(QByteArray, contenuto);
        testing_support::TestEnv env;
        creaRubrica(esempio());
        env.writeFile("e.csv", contenuto);
        env.desktop.answers = {Answer::Yes, Answer::Yes};
        QVERIFY(!ImportaRubricaDaFile(env.file("e.csv")).eseguita);
        QCOMPARE(env.desktop.texts(),
                 (QStringList{kConferma, "Impossibile completare l'importazione, file vuoto."}));
        QCOMPARE(env.desktop.boxes.last().icon, Icon::Warning);
        QCOMPARE(leggiRubrica(), esempio());
    }

    void importaNomeVuotoORifiutato()
    {
        testing_support::TestEnv env;
        creaRubrica(esempio());
        env.writeFile("i.csv", kHeader + "A B;a@x;1;\r\n");
        // No to the first question: nothing else is asked or done.
        env.desktop.answers = {Answer::No};
        QVERIFY(!ImportaRubricaDaFile(env.file("i.csv")).eseguita);
        QCOMPARE(env.desktop.texts(), QStringList{kConferma});
        env.desktop.clear();
        env.desktop.answers = {Answer::Yes};
        QVERIFY(!ImportaRubricaDaFile(QString()).eseguita);
        QCOMPARE(env.desktop.texts(),
                 (QStringList{kConferma, "Impossibile completare l'importazione."}));
        QCOMPARE(leggiRubrica(), esempio());
    }

    // An import is one unit: a failure part way leaves the table exactly as it was.
    void tuttoONiente_data()
    {
        QTest::addColumn<bool>("sostituisci");
        QTest::newRow("replace") << true;
        QTest::newRow("merge") << false;
    }
    void tuttoONiente()
    {
        QFETCH(bool, sostituisci);
        testing_support::TestEnv env;
        creaRubrica(esempio());
        env.writeFile("i.csv",
                      kHeader + "A B;a@x;1;\r\nC D;c@x;2;\r\nE F;e@x;3;\r\nG H;g@x;4;\r\n");
        env.desktop.answers = {Answer::Yes, sostituisci ? Answer::Yes : Answer::No};
        OpzioniImportazione opzioni;
        QList<int> viste;
        opzioni.primaDiRegistrare = [&](int riga) {
            viste.append(riga);
            if (riga == 4)
                throw zr::EngineError(QStringLiteral("Record rifiutato dalla tabella."), 1234);
        };
        const EsitoImportazione esito = ImportaRubricaDaFile(env.file("i.csv"), opzioni);
        QCOMPARE(viste, (QList<int>{2, 3, 4}));
        QVERIFY(!esito.eseguita);
        QCOMPARE(env.desktop.boxes.size(), 3);
        QCOMPARE(env.desktop.boxes.last().text, QStringLiteral("Record rifiutato dalla tabella."));
        QCOMPARE(env.desktop.boxes.last().icon, Icon::Critical);
        QCOMPARE(leggiRubrica(), esempio());
        // The table is usable afterwards: the same import without the fault completes.
        env.desktop.clear();
        env.desktop.answers = {Answer::Yes, sostituisci ? Answer::Yes : Answer::No};
        QVERIFY(ImportaRubricaDaFile(env.file("i.csv")).eseguita);
        QCOMPARE(leggiRubrica().size(), sostituisci ? 4 : esempio().size() + 4);
    }

    void fileIllegibile()
    {
        testing_support::TestEnv env;
        creaRubrica(esempio());
        env.desktop.answers = {Answer::Yes, Answer::Yes};
        QVERIFY(!ImportaRubricaDaFile(env.file("manca.csv")).eseguita);
        QCOMPARE(env.desktop.boxes.size(), 2);
        QCOMPARE(env.desktop.boxes.last().icon, Icon::Critical);
        QVERIFY(env.desktop.boxes.last().text.contains("manca.csv"));
        QCOMPARE(leggiRubrica(), esempio());
    }

    // The duplicate test reads the stored addresses once when the file is at least as long
    // as the table, and looks each one up otherwise: both ways must agree. "altri" pads
    // the table with unrelated contacts to take the second way.
    void apiceNellaMail_data()
    {
        QTest::addColumn<int>("altri");
        QTest::newRow("file longer than table") << 0;
        QTest::newRow("table longer than file") << 20;
    }
    // The e-mail is compared as a value: quotes neither break nor widen the test.
    void apiceNellaMail()
    {
        QFETCH(int, altri);
        testing_support::TestEnv env;
        QList<Contatto> prima = {{"D'Amico", "Piero", "06-1", "o'brien@x.it"}};
        for (int i = 0; i < altri; ++i)
            prima.append({"G", "F", QString::number(i), QStringLiteral("f%1@x.it").arg(i)});
        creaRubrica(prima);
        env.writeFile("q.csv", kHeader + "P D;o'brien@x.it;1;\r\n"
                                         "X Y;x' or '1'='1;2;\r\n"
                                         "Z W;' or MAIL like '%;3;\r\n");
        env.desktop.answers = {Answer::Yes, Answer::No};
        const EsitoImportazione esito = ImportaRubricaDaFile(env.file("q.csv"));
        QVERIFY(esito.eseguita);
        QCOMPARE(esito.doppioni, 1);
        QCOMPARE(esito.importati, 2);
        const QList<Contatto> dopo = leggiRubrica();
        QCOMPARE(dopo.size(), prima.size() + 2);
        QCOMPARE(dopo.at(prima.size()).mail, QStringLiteral("x' or '1'='1"));
        QCOMPARE(dopo.at(prima.size() + 1).mail, QStringLiteral("' or MAIL like '%"));
    }

    // In merge mode a later line with an address met earlier in the file is a duplicate
    // too (also when cut to the field's 40 characters); the comparison is exact, case
    // included, and an empty address is never a duplicate. In replace mode every line is
    // stored.
    void doppioniNelFile_data()
    {
        QTest::addColumn<bool>("sostituisci");
        QTest::addColumn<int>("altri");
        QTest::addColumn<int>("importati");
        QTest::addColumn<int>("doppioni");
        QTest::newRow("merge, file longer than table") << false << 0 << 4 << 3;
        QTest::newRow("merge, table longer than file") << false << 20 << 4 << 3;
        QTest::newRow("replace") << true << 0 << 7 << 0;
    }
    void doppioniNelFile()
    {
        QFETCH(bool, sostituisci);
        QFETCH(int, altri);
        QFETCH(int, importati);
        QFETCH(int, doppioni);
        testing_support::TestEnv env;
        QList<Contatto> prima = {{"R", "N", "1", "anna@x.it"}, {"Senza", "", "2", ""}};
        for (int i = 0; i < altri; ++i)
            prima.append({"G", "F", QString::number(i), QStringLiteral("f%1@x.it").arg(i)});
        creaRubrica(prima);
        const QByteArray lunga(45, 'l');
        env.writeFile("d.csv", kHeader +
                                   "A B;a@x;1;\r\nC D;a@x;2;\r\nE F;anna@x.it;3;\r\n"
                                   "G H;A@X;4;\r\nI J;;5;\r\n" +
                                   "K L;" + lunga + ";6;\r\nM N;" + lunga.left(40) + ";7;\r\n");
        env.desktop.answers = {Answer::Yes, sostituisci ? Answer::Yes : Answer::No};
        const EsitoImportazione esito = ImportaRubricaDaFile(env.file("d.csv"));
        QCOMPARE(esito.importati, importati);
        QCOMPARE(esito.doppioni, doppioni);
        QCOMPARE(leggiRubrica().size(), sostituisci ? importati : prima.size() + importati);
        // Whatever the import keeps for its lookups is not part of the table's structure.
        QVERIFY(engine::Table(QStringLiteral("Rubry.Db")).storedIndexes().isEmpty());
    }

    // The confirmation handlers fit the main window's slots for them.
    void gestoriConferma()
    {
        testing_support::TestEnv env;
        creaRubrica({{"B", "A", "1", "a@b"}});
        std::function<void(const QString&)> salva = EsportaRubrica;
        std::function<void(const QString&)> apri = ImportaRubrica;
        salva(env.file("g"));
        QCOMPARE(env.readFile("g.csv"), kHeader + "A B;a@b;1;\r\n");
        env.desktop.answers = {Answer::Yes, Answer::Yes};
        apri(env.file("g.csv"));
        QCOMPARE(env.desktop.texts().last(),
                 "Operazione completata.\rImportati 1 contatti\rTrovati 0 doppioni");
        QCOMPARE(leggiRubrica(), (QList<Contatto>{{"B", "A", "1", "a@b"}}));
    }

    void dialoghi()
    {
        testing_support::TestEnv env;
        creaRubrica({{"B", "A", "1", "a@b"}});
        // Cancelled dialogs do nothing.
        EsportaRubricaConDialogo(nullptr);
        ImportaRubricaConDialogo(nullptr);
        QVERIFY(env.desktop.boxes.isEmpty());
        QCOMPARE(env.desktop.fileRequests.size(), 2);
        QVERIFY(env.desktop.fileRequests.at(0).save);
        QVERIFY(!env.desktop.fileRequests.at(1).save);
        for (const platform::FileRequest& r : env.desktop.fileRequests)
            QCOMPARE(r.dialog.filter, QStringLiteral("File di testo (csv) (*.csv)"));

        env.desktop.clear();
        env.desktop.fileAnswers = {env.file("out"), env.file("out.csv")};
        env.desktop.answers = {Answer::Yes, Answer::No};
        EsportaRubricaConDialogo(nullptr);
        QCOMPARE(env.readFile("out.csv"), kHeader + "A B;a@b;1;\r\n");
        ImportaRubricaConDialogo(nullptr);
        QCOMPARE(env.desktop.texts().last(),
                 "Operazione completata.\rImportati 0 contatti\rTrovati 1 doppioni");
    }
};

QTEST_MAIN(TstScambio)
#include "tst_scambio.moc"
