// The exchange file's text: splitting contact lines, line ends, code pages, file names.

#include "contacts/ScambioFormato.h"

#include <QtTest>

using scambio::RigaContatto;

class TstScambioFormato : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void dividiRiga_data()
    {
        QTest::addColumn<QString>("riga");
        QTest::addColumn<QString>("nome");
        QTest::addColumn<QString>("cognome");
        QTest::addColumn<QString>("mail");
        QTest::addColumn<QString>("numero");
        QTest::newRow("three fields") << "Anna Maria Rossi;anna@x.it;0612;"
                                      << "Anna"
                                      << "Maria Rossi"
                                      << "anna@x.it"
                                      << "0612";
        QTest::newRow("no blank") << "Rossi;r@x.it;1;"
                                  << ""
                                  << "Rossi"
                                  << "r@x.it"
                                  << "1";
        QTest::newRow("leading blank") << " Rossi;r@x.it;1;"
                                       << ""
                                       << "Rossi"
                                       << "r@x.it"
                                       << "1";
        QTest::newRow("only two semicolons") << "Anna Rossi;a@x.it;0612"
                                             << "Anna"
                                             << "Rossi"
                                             << "a@x.it"
                                             << "";
        QTest::newRow("one semicolon") << "Anna Rossi;a@x.it"
                                       << "Anna"
                                       << "Rossi"
                                       << ""
                                       << "";
        QTest::newRow("no semicolon") << "Anna Rossi"
                                      << ""
                                      << ""
                                      << ""
                                      << "";
        QTest::newRow("empty line") << ""
                                    << ""
                                    << ""
                                    << ""
                                    << "";
        QTest::newRow("after third ignored") << "A B;m;1;extra;more;"
                                             << "A"
                                             << "B"
                                             << "m"
                                             << "1";
        QTest::newRow("empty fields") << ";;;"
                                      << ""
                                      << ""
                                      << ""
                                      << "";
        QTest::newRow("quotes and blanks kept") << "D'Amico  \"x\";'o'@x.it ; 06 12 ;"
                                                << "D'Amico"
                                                << " \"x\""
                                                << "'o'@x.it "
                                                << " 06 12 ";
        QTest::newRow("blank after first field not used") << "Rossi;a b@x;1;"
                                                          << ""
                                                          << "Rossi"
                                                          << "a b@x"
                                                          << "1";
    }
    void dividiRiga()
    {
        QFETCH(QString, riga);
        QFETCH(QString, nome);
        QFETCH(QString, cognome);
        QFETCH(QString, mail);
        QFETCH(QString, numero);
        const RigaContatto r = scambio::DividiRiga(riga);
        QCOMPARE(r.nome, nome);
        QCOMPARE(r.cognome, cognome);
        QCOMPARE(r.mail, mail);
        QCOMPARE(r.numero, numero);
    }

    void componiRiga()
    {
        QCOMPARE(scambio::ComponiRiga("Anna", "Rossi", "a@x.it", "06"),
                 QStringLiteral("Anna Rossi;a@x.it;06;"));
        QCOMPARE(scambio::ComponiRiga("", "Rossi", "", ""), QStringLiteral(" Rossi;;;"));
        // What is composed splits back into the same values.
        const RigaContatto r = scambio::DividiRiga(scambio::ComponiRiga("", "De Luca", "d@x", "1"));
        QCOMPARE(r, (RigaContatto{"", "De Luca", "d@x", "1"}));
    }

    void dividiInRighe_data()
    {
        QTest::addColumn<QString>("testo");
        QTest::addColumn<QStringList>("righe");
        QTest::newRow("empty") << "" << QStringList{};
        QTest::newRow("crlf, final") << "a\r\nb\r\n" << QStringList{"a", "b"};
        QTest::newRow("no final end") << "a\r\nb" << QStringList{"a", "b"};
        QTest::newRow("lone lf") << "a\nb\n" << QStringList{"a", "b"};
        QTest::newRow("lone cr") << "a\rb\r" << QStringList{"a", "b"};
        QTest::newRow("mixed") << "a\r\nb\nc\rd" << QStringList{"a", "b", "c", "d"};
        QTest::newRow("empty lines kept") << "a\r\n\r\nb\r\n" << QStringList{"a", "", "b"};
        QTest::newRow("lf cr is two ends") << "a\n\rb" << QStringList{"a", "", "b"};
        QTest::newRow("only a line end") << "\r\n" << QStringList{""};
    }
    void dividiInRighe()
    {
        QFETCH(QString, testo);
        QFETCH(QStringList, righe);
        QCOMPARE(scambio::DividiInRighe(testo), righe);
    }

    void windows1252()
    {
        QCOMPARE(scambio::AWindows1252(u"Niccolò"), QByteArray("\x4e\x69\x63\x63\x6f\x6c\xf2"));
        QCOMPARE(scambio::AWindows1252(u"€ “x” Š"), QByteArray("\x80 \x93x\x94 \x8a"));
        // Every byte reads back as the character it was written from.
        QByteArray tutti;
        for (int b = 0; b < 256; ++b)
            tutti += char(b);
        const QString testo = scambio::DaWindows1252(tutti);
        QCOMPARE(testo.size(), 256);
        QCOMPARE(testo.at(0xF2), QChar(u'ò'));
        QCOMPARE(testo.at(0x80), QChar(0x20AC));
        QCOMPARE(scambio::AWindows1252(testo), tutti);
    }

    void fuoriCodice_data()
    {
        QTest::addColumn<QString>("testo");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("L stroke") << QStringLiteral("Łódź")
                                  << QByteArray("?\xf3"
                                                "d?");
        QTest::newRow("beyond basic plane") << QString::fromUtf8("a\xF0\x9F\x98\x80"
                                                                 "b")
                                            << QByteArray("a?b");
        QTest::newRow("cyrillic") << QStringLiteral("Иван") << QByteArray("????");
    }
    void fuoriCodice()
    {
        QFETCH(QString, testo);
        QFETCH(QByteArray, bytes);
        QByteArray out("x");
        QVERIFY(scambio::AccodaWindows1252(out, testo));
        QCOMPARE(out, "x" + bytes);
        QByteArray puro;
        QVERIFY(!scambio::AccodaWindows1252(puro, u"Niccolò €"));
    }

    void decodificaFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("testo");
        QTest::newRow("ascii") << QByteArray("a;b;c;") << "a;b;c;";
        QTest::newRow("windows-1252") << QByteArray("Niccol\xf2;\x80") << "Niccolò;€";
        QTest::newRow("utf-8 with bom") << QByteArray("\xEF\xBB\xBFNiccol\xC3\xB2") << "Niccolò";
        QTest::newRow("bom, ascii") << QByteArray("\xEF\xBB\xBF"
                                                  "abc")
                                    << "abc";
        QTest::newRow("utf-8 without bom") << QByteArray("\xC5\x81ukasz") << "Łukasz";
        // Bytes that are not valid UTF-8 are Windows-1252, even when some pairs would be.
        QTest::newRow("invalid utf-8") << QByteArray("\xC3\xB2 \xf2") << "Ã² ò";
    }
    void decodificaFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, testo);
        QCOMPARE(scambio::DecodificaFile(bytes), testo);
    }

    void nomeFile_data()
    {
        QTest::addColumn<QString>("scelto");
        QTest::addColumn<QString>("scritto");
        QTest::newRow("no extension") << "/t/rubrica"
                                      << "/t/rubrica.csv";
        QTest::newRow("csv") << "/t/rubrica.csv"
                             << "/t/rubrica.csv";
        QTest::newRow("upper case") << "/t/RUBRICA.CSV"
                                    << "/t/RUBRICA.CSV";
        QTest::newRow("mixed case") << "/t/r.Csv"
                                    << "/t/r.Csv";
        QTest::newRow("other extension") << "/t/r.txt"
                                         << "/t/r.txt.csv";
        QTest::newRow("csv inside") << "/t/r.csv.bak"
                                    << "/t/r.csv.bak.csv";
        QTest::newRow("ends csv without dot") << "/t/miocsv"
                                              << "/t/miocsv.csv";
    }
    void nomeFile()
    {
        QFETCH(QString, scelto);
        QFETCH(QString, scritto);
        QCOMPARE(scambio::NomeFileEsportazione(scelto), scritto);
    }
};

QTEST_MAIN(TstScambioFormato)
#include "tst_scambio_formato.moc"
