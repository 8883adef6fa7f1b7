// The About window and the bug report window: their texts and the mails they compose.

#include "Controlli.h"
#include "TestEnv.h"
#include "TraduzioniFixture.h"
#include "engine/DataSet.h"
#include "services/Maker.h"
#include "services/TFrmAbout.h"
#include "services/TfrmBug.h"

#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QUrlQuery>
#include <QtTest>

using testing_support::creaTraduzioni;
using testing_support::trova;

namespace {

struct Mail
{
    QString address, subject, body;
};

Mail mailOf(const QUrl& url)
{
    const QUrlQuery query(url);
    return {url.path(QUrl::FullyDecoded),
            query.queryItemValue(QStringLiteral("subject"), QUrl::FullyDecoded),
            query.queryItemValue(QStringLiteral("body"), QUrl::FullyDecoded)};
}

} // namespace

class TstAboutBug : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void aboutContents_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("Label2") << "Label2"
                                << "Informazioni sul programma";
        QTest::newRow("LabelPrg") << "LabelPrg"
                                  << "Zentor_Rubrica";
        QTest::newRow("Label6") << "Label6"
                                << "Per la corretta gestione della\ntua rubrica personale.";
        QTest::newRow("LabelNomeVersione") << "LabelNomeVersione"
                                           << "Versione";
        QTest::newRow("LabelVers") << "LabelVers"
                                   << "04.2002-22";
        QTest::newRow("Label4") << "Label4"
                                << "";
        QTest::newRow("lblLink") << "lblLink" << SitoProduttore();
        QTest::newRow("Label13") << "Label13" << SupportoProduttore();
    }
    void aboutContents()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        TFrmAbout about;
        QCOMPARE(trova<QLabel>(&about, qPrintable(name))->text(), text);
        QCOMPARE(trova<QLabel>(&about, qPrintable(name))->palette().color(QPalette::WindowText),
                 QColor(Qt::blue));
    }

    void aboutWindow()
    {
        TFrmAbout about;
        QCOMPARE(about.objectName(), QStringLiteral("FrmAbout"));
        QCOMPARE(about.windowTitle(), QStringLiteral("About"));
        QCOMPARE(about.size(), QSize(266, 329));
        QCOMPARE(trova<QWidget>(&about, "Panel2")->height(), 49);
        QCOMPARE(trova<QLabel>(&about, "Image1")->size(), QSize(150, 142));
        QVERIFY(!trova<QLabel>(&about, "Image1")->pixmap().isNull());
        QCOMPARE(trova<QToolButton>(&about, "sbEsci")->text(), QStringLiteral("Esci"));
        for (const char* link : {"lblLink", "Label13"}) {
            QCOMPARE(trova<QLabel>(&about, link)->cursor().shape(), Qt::PointingHandCursor);
            QVERIFY(trova<QLabel>(&about, link)->font().underline());
        }
        QCOMPARE(FrmAbout, &about);
        QCOMPARE(NomeProgramma(), QStringLiteral("Zentor_Rubrica"));
        QCOMPARE(VersioneProgramma(), QStringLiteral("04.2002-22"));
    }

    void aboutLinks()
    {
        testing_support::TestEnv env;
        TFrmAbout about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QTest::mouseClick(trova<QLabel>(&about, "lblLink"), Qt::LeftButton);
        QCOMPARE(env.desktop.urls, QList<QUrl>{QUrl(SitoProduttore())});

        QTest::mouseClick(trova<QLabel>(&about, "Label13"), Qt::LeftButton);
        QCOMPARE(env.desktop.urls.size(), 2);
        const Mail mail = mailOf(env.desktop.urls[1]);
        QCOMPARE(mail.address, SupportoProduttore());
        QCOMPARE(mail.subject, QStringLiteral("Inf: Zentor_Rubrica, 04.2002-22"));
        QCOMPARE(mail.body,
                 QStringLiteral("Vorrei ricevere informazioni in più per quanto riguarda:"));
        QVERIFY(about.isVisible());
        QVERIFY(env.desktop.boxes.isEmpty());
    }

    void aboutHiddenNotDestroyed()
    {
        QPointer<TFrmAbout> about = new TFrmAbout;
        about->show();
        trova<QToolButton>(about, "sbEsci")->click();
        QVERIFY(about);
        QVERIFY(!about->isVisible());
        about->show();
        about->close(); // the window's close command hides it too
        QVERIFY(about);
        QVERIFY(!about->isVisible());
        delete about;
        QVERIFY(!FrmAbout);
    }

    void bugWindow_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("Label4") << "Label4"
                                << "Il tuo supporto aiuta a migliorare i software Zentor";
        QTest::newRow("Label1") << "Label1"
                                << "Premi su 'segnala' per inoltrarci la segnalazione dell'errore:";
        QTest::newRow("Label2") << "Label2"
                                << "Le risposte ai bug già segnalati sono visibli sulla sezione";
        QTest::newRow("Label3") << "Label3"
                                << "forum del nostro sito internet";
        QTest::newRow("lblLink") << "lblLink" << SitoProduttore();
    }
    void bugWindow()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        TfrmBug bug;
        QCOMPARE(bug.objectName(), QStringLiteral("frmBug"));
        QCOMPARE(bug.windowTitle(), QStringLiteral("Segnalazione bug al team Zentor"));
        QCOMPARE(bug.size(), QSize(296, 144));
        QCOMPARE(bug.minimumSize(), bug.maximumSize());
        QCOMPARE(trova<QPushButton>(&bug, "ButSegnala")->text(), QStringLiteral("Segnala"));
        QCOMPARE(trova<QPushButton>(&bug, "ButEsci")->text(), QStringLiteral("Esci"));
        QCOMPARE(trova<QLabel>(&bug, qPrintable(name))->text(), text);
        QVERIFY(trova<QLabel>(&bug, "Label4")->font().bold());
        // The link sits beside "forum del nostro sito internet".
        QVERIFY(trova<QLabel>(&bug, "lblLink")->x() >
                trova<QLabel>(&bug, "Label3")->geometry().right());
        QCOMPARE(trova<QLabel>(&bug, "lblLink")->y(), trova<QLabel>(&bug, "Label3")->y());
        QCOMPARE(trova<QLabel>(&bug, "lblLink")->cursor().shape(), Qt::PointingHandCursor);
    }

    void bugReportMail_data()
    {
        QTest::addColumn<QString>("programName");
        QTest::addColumn<QString>("subject");
        QTest::newRow("as shipped") << ""
                                    << "Bug: Zentor_Rubrica, 04.2002-22";
        QTest::newRow("name from the About window") << "Altro"
                                                    << "Bug: Altro, 04.2002-22";
    }
    void bugReportMail()
    {
        QFETCH(QString, programName);
        QFETCH(QString, subject);
        testing_support::TestEnv env;
        TFrmAbout about;
        if (!programName.isEmpty())
            trova<QLabel>(&about, "LabelPrg")->setText(programName);
        TfrmBug bug;
        // The bug window's own texts (translated, say) do not matter for the subject.
        trova<QLabel>(&bug, "Label4")->setText(QStringLiteral("Your support helps"));
        bug.show();
        trova<QPushButton>(&bug, "ButSegnala")->click();
        QCOMPARE(env.desktop.urls.size(), 1);
        const Mail mail = mailOf(env.desktop.urls[0]);
        QCOMPARE(mail.address, SupportoProduttore());
        QCOMPARE(mail.subject, subject);
        QCOMPARE(mail.body, QStringLiteral("Di seguito la segnalzione del bug:"));
        QVERIFY(bug.isVisible()); // the window stays open
    }

    void bugWindowTranslated()
    {
        testing_support::TestEnv env;
        creaTraduzioni(
            QStringLiteral("Inglese"),
            {{"Segnalazione bug al team Zentor", "Bug report to the Zentor team"},
             {"Il tuo supporto aiuta a migliorare i software Zentor", "Your support helps"},
             {"Premi su segnala per inoltrarci la segnalazione dellerrore:", "Press Report:"},
             {"Segnala", "Report"},
             {"Esci", "Exit"}});
        TFrmAbout about;
        TfrmBug bug;
        QCOMPARE(bug.windowTitle(), QStringLiteral("Bug report to the Zentor team"));
        QCOMPARE(trova<QLabel>(&bug, "Label4")->text(), QStringLiteral("Your support helps"));
        QCOMPARE(trova<QLabel>(&bug, "Label1")->text(), QStringLiteral("Press Report:"));
        // Not in the table: shown as looked up.
        QCOMPARE(trova<QLabel>(&bug, "Label3")->text(),
                 QStringLiteral("forum del nostro sito internet"));
        QCOMPARE(trova<QPushButton>(&bug, "ButSegnala")->text(), QStringLiteral("Report"));
        QCOMPARE(trova<QPushButton>(&bug, "ButEsci")->text(), QStringLiteral("Exit"));
        QCOMPARE(trova<QLabel>(&bug, "lblLink")->text(), SitoProduttore());
        QVERIFY(env.desktop.boxes.isEmpty());
        // The mail keeps the program's own name and version.
        trova<QPushButton>(&bug, "ButSegnala")->click();
        QCOMPARE(mailOf(env.desktop.urls.value(0)).subject,
                 QStringLiteral("Bug: Zentor_Rubrica, 04.2002-22"));
    }

    void bugWindowOpensDespiteTranslationError()
    {
        // A language that names no column of the translation table: the error ends the
        // translation, reaches the default error report, and the window still opens in Italian.
        testing_support::TestEnv env;
        creaTraduzioni(QStringLiteral("Klingon"), {{"Segnala", "Report"}});
        TfrmBug bug;
        QCOMPARE(env.desktop.boxes.size(), 1);
        QCOMPARE(env.desktop.boxes[0].caption, QStringLiteral("Zentor_Rubrica"));
        QCOMPARE(env.desktop.boxes[0].icon, platform::Icon::Critical);
        QCOMPARE(bug.windowTitle(), QStringLiteral("Segnalazione bug al team Zentor"));
        QCOMPARE(trova<QPushButton>(&bug, "ButSegnala")->text(), QStringLiteral("Segnala"));
        bug.show();
        QVERIFY(bug.isVisible());
        trova<QPushButton>(&bug, "ButSegnala")->click();
        QCOMPARE(env.desktop.urls.size(), 1);
    }

    void bugLinkAndExit()
    {
        testing_support::TestEnv env;
        TfrmBug bug;
        bug.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bug));
        QTest::mouseClick(trova<QLabel>(&bug, "lblLink"), Qt::LeftButton);
        QCOMPARE(env.desktop.urls, QList<QUrl>{QUrl(SitoProduttore())});
        trova<QPushButton>(&bug, "ButEsci")->click();
        QVERIFY(!bug.isVisible());
    }
};

QTEST_MAIN(TstAboutBug)
#include "tst_about_bug.moc"
