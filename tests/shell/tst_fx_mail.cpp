// InviaMail and ApriDocumento: what the desktop receives.

#include "TestEnv.h"
#include "shell/Fx.h"

#include <QUrlQuery>
#include <QtTest>

class TstFxMail : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void componi()
    {
        QCOMPARE(ComponiMail("a@b.it", "Oggetto con spazi", ""),
                 QStringLiteral("mailto:a@b.it?subject=Oggetto con spazi&body="));
        QCOMPARE(ComponiMail("", "", ""), QStringLiteral("mailto:?subject=&body="));
    }

    void intact_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("body");
        QTest::newRow("shipped subject")
            << "supporto@example.com"
            << "Inf: Zentor_Rubrica, 04.2002-22"
            << "Vorrei ricevere informazioni in più per quanto riguarda:";
        QTest::newRow("empty body") << "a@b.it"
                                    << "Oggetto"
                                    << "";
        QTest::newRow("blanks") << "a@b.it"
                                << "  due  spazi "
                                << " corpo con spazi ";
        QTest::newRow("ampersand") << "a@b.it"
                                   << "Rossi & figli"
                                   << "a&b=c&body=x";
        QTest::newRow("hash") << "a@b.it"
                              << "n. #3"
                              << "#frammento";
        QTest::newRow("non-ASCII") << "a@b.it"
                                   << "Niccolò àèìòù €"
                                   << "Perché sì";
        QTest::newRow("line breaks") << "a@b.it"
                                     << "x"
                                     << "riga 1\r\nriga 2\r\n";
        QTest::newRow("percent and plus") << "a@b.it"
                                          << "100% + 1"
                                          << "%20 non è uno spazio";
        QTest::newRow("question mark and equals") << "a@b.it"
                                                  << "a?b=c"
                                                  << "?subject=no";
        QTest::newRow("several addressees") << "a@b.it,c@d.it"
                                            << "x"
                                            << "y";
        QTest::newRow("quotes and angle brackets") << "a@b.it"
                                                   << "\"<ciao>\""
                                                   << "'x'";
    }

    void intact()
    {
        QFETCH(QString, address);
        QFETCH(QString, subject);
        QFETCH(QString, body);
        testing_support::TestEnv env;
        InviaMail(address, subject, body);
        QCOMPARE(env.desktop.urls.size(), 1);
        const QUrl url = env.desktop.urls.first();
        QVERIFY(url.isValid());
        QCOMPARE(url.scheme(), QStringLiteral("mailto"));
        QCOMPARE(url.path(QUrl::FullyDecoded), address);
        QVERIFY(!url.hasFragment());
        const QUrlQuery query(url);
        QCOMPARE(query.queryItems(QUrl::FullyDecoded).size(), 2);
        QCOMPARE(query.queryItems(QUrl::FullyDecoded).at(0).first, QStringLiteral("subject"));
        QCOMPARE(query.queryItemValue(QStringLiteral("subject"), QUrl::FullyDecoded), subject);
        QCOMPARE(query.queryItems(QUrl::FullyDecoded).at(1).first, QStringLiteral("body"));
        QCOMPARE(query.queryItemValue(QStringLiteral("body"), QUrl::FullyDecoded), body);
        // Decoded as a whole, the address is exactly the composed text.
        QCOMPARE(QUrl::fromPercentEncoding(url.toEncoded()), ComponiMail(address, subject, body));
        // Nothing that would split a value is left bare in what the mail program gets.
        const QByteArray encoded = url.toEncoded();
        QCOMPARE(encoded.count('&'), 1);
        QCOMPARE(encoded.count('?'), 1);
        QVERIFY(!encoded.contains('#'));
        QVERIFY(!encoded.contains(' '));
        QVERIFY(!encoded.contains('\n'));
    }

    void emptyBodyEndsWithBody()
    {
        testing_support::TestEnv env;
        InviaMail("a@b.it", "Oggetto con spazi", "");
        QVERIFY(env.desktop.urls.first().toEncoded().endsWith("&body="));
    }

    void lineBreaksAsCrLf_data()
    {
        QTest::addColumn<QString>("body");
        QTest::newRow("LF") << "a\nb";
        QTest::newRow("CR") << "a\rb";
        QTest::newRow("CR LF") << "a\r\nb";
    }
    void lineBreaksAsCrLf()
    {
        QFETCH(QString, body);
        testing_support::TestEnv env;
        InviaMail("a@b.it", "s", body);
        QVERIFY(env.desktop.urls.first().toEncoded().endsWith("&body=a%0D%0Ab"));
    }

    void apriDocumento_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QUrl>("url");
        QTest::newRow("web address")
            << "https://www.example.com/" << QUrl("https://www.example.com/");
        QTest::newRow("www without scheme") << "www.example.com" << QUrl("http://www.example.com");
        QTest::newRow("file path")
            << "/opt/zr/help.html" << QUrl::fromLocalFile("/opt/zr/help.html");
        QTest::newRow("file path with blanks and #")
            << "/opt/my zr/a#b.html" << QUrl::fromLocalFile("/opt/my zr/a#b.html");
    }
    void apriDocumento()
    {
        QFETCH(QString, target);
        QFETCH(QUrl, url);
        testing_support::TestEnv env;
        ApriDocumento(target);
        QCOMPARE(env.desktop.urls, QList<QUrl>{url});
        if (url.isLocalFile())
            QCOMPARE(env.desktop.urls.first().toLocalFile(), target);
    }
};

QTEST_GUILESS_MAIN(TstFxMail)
#include "tst_fx_mail.moc"
