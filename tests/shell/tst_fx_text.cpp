#include "TestEnv.h"
#include "shell/Fx.h"

#include <QtTest>

class TstFxText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void destraSinistra_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("right");
        QTest::addColumn<QString>("left");
        QTest::newRow("longer") << "20021231" << 2 << "31" << "20";
        QTest::newRow("one char") << "x" << 2 << "x" << "x";
        QTest::newRow("four") << "20021231" << 4 << "1231" << "2002";
        QTest::newRow("zero") << "abc" << 0 << "" << "";
        QTest::newRow("negative") << "abc" << -1 << "" << "";
        QTest::newRow("empty") << "" << 3 << "" << "";
    }
    void destraSinistra()
    {
        QFETCH(QString, text);
        QFETCH(int, count);
        QFETCH(QString, right);
        QFETCH(QString, left);
        QCOMPARE(Destra(text, count), right);
        QCOMPARE(Sinistra(text, count), left);
    }
    void ultimoCarattere()
    {
        QCOMPARE(UltimoCarattere(QString()), QChar(0));
        QCOMPARE(UltimoCarattere(QStringLiteral("/tmp/x/")), QChar(u'/'));
    }
    void dateParts()
    {
        const QDate today = QDate::currentDate();
        QCOMPARE(GiornoOggi().size(), 2);
        QCOMPARE(GiornoOggi().toInt(), today.day());
        QCOMPARE(MeseOggi().size(), 2);
        QCOMPARE(MeseOggi().toInt(), today.month());
        QCOMPARE(AnnoOggi(), QString::number(today.year()));
    }
    void messageBoxes()
    {
        testing_support::TestEnv env;
        env.desktop.answers = {platform::Answer::Yes, platform::Answer::No};
        MostraMessaggio("a");
        MostraAttenzione("b");
        MostraErrore("c");
        QVERIFY(ChiediConferma("d?"));
        QVERIFY(!ChiediConferma("e?"));
        QCOMPARE(env.desktop.boxes.size(), 5);
        QCOMPARE(env.desktop.boxes[0].caption, QStringLiteral("Messaggio."));
        QCOMPARE(env.desktop.boxes[0].icon, platform::Icon::Information);
        QCOMPARE(env.desktop.boxes[1].caption, QStringLiteral("Attenzione."));
        QCOMPARE(env.desktop.boxes[1].icon, platform::Icon::Warning);
        QCOMPARE(env.desktop.boxes[2].caption, QStringLiteral("Errore"));
        QCOMPARE(env.desktop.boxes[2].icon, platform::Icon::Critical);
        QCOMPARE(env.desktop.boxes[3].caption, QStringLiteral("Richiesta."));
        QCOMPARE(env.desktop.boxes[3].buttons, platform::Buttons::YesNo);
    }
    void appFolderOverride()
    {
        testing_support::TestEnv env;
        const QString folder = PercorsoProgramma();
        QVERIFY(folder.endsWith(QDir::separator()));
        QCOMPARE(QDir::fromNativeSeparators(folder), env.folder());
    }
};

QTEST_GUILESS_MAIN(TstFxText)
#include "tst_fx_text.moc"
