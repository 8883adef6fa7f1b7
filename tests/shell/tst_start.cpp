// Start-up: the windows that live for the whole run, their order, and the splash.

#include "Controlli.h"
#include "ModalDriver.h"
#include "TestEnv.h"
#include "TraduzioniFixture.h"
#include "contacts/TFrmCanc.h"
#include "engine/DataSet.h"
#include "services/Maker.h"
#include "services/TFrmAbout.h"
#include "shell/Application.h"
#include "shell/TFrmMain.h"
#include "shell/TfrmStart.h"

#include <QLabel>
#include <QTimer>
#include <QtTest>

using testing_support::creaTraduzioni;
using testing_support::ModalDriver;
using testing_support::trova;

namespace {

QStringList names(const std::vector<QWidget*>& windows)
{
    QStringList out;
    for (QWidget* w : windows)
        out << w->objectName();
    return out;
}

} // namespace

class TstStart : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void creationOrder()
    {
        testing_support::TestEnv env;
        {
            StartUp startUp;
            startUp.createWindows();
            QCOMPARE(names(startUp.windows()),
                     QStringList({"FrmMain", "FrmAbout", "frmStart", "FrmCanc"}));
            QCOMPARE(startUp.windows()[0], static_cast<QWidget*>(FrmMain));
            QCOMPARE(startUp.windows()[1], static_cast<QWidget*>(FrmAbout));
            QCOMPARE(startUp.windows()[2], static_cast<QWidget*>(frmStart));
            QCOMPARE(startUp.windows()[3], static_cast<QWidget*>(FrmCanc));
            // Nothing is on screen before the run loop shows the main window.
            for (QWidget* w : startUp.windows())
                QVERIFY(!w->isVisible());
            QVERIFY(env.desktop.boxes.isEmpty());
        }
        // The living windows end with the start-up.
        QVERIFY(!FrmMain);
        QVERIFY(!FrmAbout);
        QVERIFY(!frmStart);
        QVERIFY(!FrmCanc);
    }

    void splashReadsTheAboutWindow()
    {
        testing_support::TestEnv env;
        StartUp startUp;
        startUp.createMain();
        startUp.createAbout();
        // The splash takes the name from the About window that exists before it.
        trova<QLabel>(FrmAbout, "LabelPrg")->setText(QStringLiteral("Altro_Nome"));
        startUp.createSplash();
        QCOMPARE(frmStart->windowTitle(), QStringLiteral("Caricamento Altro_Nome"));
    }

    void splashAsCreated()
    {
        testing_support::TestEnv env;
        StartUp startUp;
        startUp.createWindows();
        QCOMPARE(frmStart->windowTitle(), QStringLiteral("Caricamento Zentor_Rubrica"));
        QCOMPARE(trova<QLabel>(frmStart, "Label1")->text(),
                 QStringLiteral("Caricamento in corso, attendere.."));
        QCOMPARE(frmStart->size(), QSize(280, 317));
        QCOMPARE(frmStart->minimumSize(), frmStart->maximumSize());
        QCOMPARE(trova<QWidget>(frmStart, "Panel1")->height(), 52);
        QVERIFY(!trova<QLabel>(frmStart, "ImageLogo")->pixmap().isNull());
        const Qt::WindowFlags flags = frmStart->windowFlags();
        QVERIFY(!(flags & Qt::WindowCloseButtonHint));
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QCOMPARE(frmStart->TimerStart->objectName(), QStringLiteral("TimerStart"));
        QCOMPARE(frmStart->TimerStart->interval(), 10000);
        QVERIFY(!frmStart->TimerStart->isActive());
    }

    void splashTranslated_data()
    {
        QTest::addColumn<QVariant>("lingua");
        QTest::addColumn<QString>("label");
        QTest::newRow("Inglese") << QVariant(QStringLiteral("Inglese")) << "Loading..";
        QTest::newRow("Italiano") << QVariant(QStringLiteral("Italiano"))
                                  << "Caricamento in corso, attendere..";
        QTest::newRow("empty language")
            << QVariant(QString()) << "Caricamento in corso, attendere..";
    }
    void splashTranslated()
    {
        QFETCH(QVariant, lingua);
        QFETCH(QString, label);
        testing_support::TestEnv env;
        creaTraduzioni(lingua, {{"Caricamento in corso, attendere..", "Loading.."},
                                {"Caricamento", "Loading"}});
        StartUp startUp;
        startUp.createWindows();
        QCOMPARE(trova<QLabel>(frmStart, "Label1")->text(), label);
        // Only Label1 is translated; the caption keeps the program's name.
        QCOMPARE(frmStart->windowTitle(), QStringLiteral("Caricamento Zentor_Rubrica"));
        QCOMPARE(env.desktop.texts(), QStringList());
    }

    void splashHoldsTheMainWindowBack_data()
    {
        QTest::addColumn<bool>("realTimeout");
        QTest::newRow("handler called") << false;
        QTest::newRow("timer's own timeout") << true;
    }
    void splashHoldsTheMainWindowBack()
    {
        QFETCH(bool, realTimeout);
        testing_support::TestEnv env;
        StartUp startUp;
        startUp.createWindows();

        bool checked = false;
        QTimer::singleShot(0, frmStart, [&] {
            // Inside the splash's modal run: the main window is not yet on screen.
            checked = true;
            QVERIFY(frmStart->isVisible());
            QCOMPARE(QApplication::activeModalWidget(), static_cast<QWidget*>(frmStart));
            QVERIFY(!FrmMain->isVisible());
            QVERIFY(frmStart->TimerStart->isActive());
            QCOMPARE(frmStart->TimerStart->interval(), 10000);
            // Escape does not end the splash.
            QTest::keyClick(frmStart, Qt::Key_Escape);
            QVERIFY(frmStart->isVisible());
            if (realTimeout)
                frmStart->TimerStart->setInterval(1); // the timer fires by itself, at once
            else
                frmStart->TimerStartTimer();
        });
        QTimer::singleShot(5000, frmStart, [] { frmStart->close(); }); // safety net
        FrmMain->show();

        QVERIFY(checked);
        QVERIFY(FrmMain->isVisible());
        QVERIFY(!frmStart->isVisible());
        QVERIFY(!frmStart->TimerStart->isActive());
        QVERIFY(env.desktop.boxes.isEmpty());
    }

    void logoClickOpensTheSite()
    {
        testing_support::TestEnv env;
        StartUp startUp;
        startUp.createWindows();
        bool stillOpen = false;
        QTimer::singleShot(0, frmStart, [&] {
            QTest::mouseClick(trova<QLabel>(frmStart, "ImageLogo"), Qt::LeftButton);
            stillOpen = frmStart->isVisible() && !FrmMain->isVisible();
            frmStart->TimerStartTimer();
        });
        QTimer::singleShot(5000, frmStart, [] { frmStart->close(); }); // safety net
        FrmMain->show();
        QVERIFY(stillOpen);
        QCOMPARE(env.desktop.urls, QList<QUrl>{QUrl(SitoProduttore())});
    }

    void commandsWired_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("window");
        QTest::newRow("new contact") << "Aggiunginuovaidentit1"
                                     << "FrmInserisci";
        QTest::newRow("browse") << "Visualizzaselezione1"
                                << "FrmVisSel";
        QTest::newRow("print") << "Visualizzazionearchivio1"
                               << "frmStampe";
    }
    void commandsWired()
    {
        // Each command opens its own window, modally, owned by the main window, and the window
        // is gone once closed.
        QFETCH(QString, item);
        QFETCH(QString, window);
        testing_support::TestEnv env;
        StartUp startUp;
        startUp.createWindows();
        QStringList opened;
        QPointer<QWidget> last;
        {
            ModalDriver driver([&](QWidget* modal) {
                last = modal;
                opened << modal->objectName()
                       << (modal->parentWidget() ? modal->parentWidget()->objectName() : QString());
                modal->close();
            });
            FrmMain->findChild<QAction*>(item)->trigger();
        }
        QCOMPARE(opened, QStringList({window, "FrmMain"}));
        QTRY_VERIFY(last.isNull());
        QVERIFY(FrmMain->SaveDialog1CanClose);
        QVERIFY(FrmMain->OpenDialog1CanClose);
    }

    void searchWindowIsTheLivingOne()
    {
        testing_support::TestEnv env;
        StartUp startUp;
        startUp.createWindows();
        QList<QWidget*> shown;
        {
            // The same window shown a second time is acted on again.
            ModalDriver driver([&](QWidget* modal) {
                shown << modal;
                modal->close();
            });
            QAction* item = FrmMain->findChild<QAction*>(QStringLiteral("Cancellaidentit1"));
            item->trigger();
            item->trigger();
        }
        QCOMPARE(shown, (QList<QWidget*>{FrmCanc, FrmCanc}));
        QVERIFY(FrmCanc); // hidden, not destroyed
    }

    void runEndsWhenTheMainWindowCloses()
    {
        testing_support::TestEnv env;
        StartUp startUp;
        startUp.createWindows();
        QTimer::singleShot(0, frmStart, [] { frmStart->TimerStartTimer(); });
        QTimer::singleShot(50, FrmMain, [] { FrmMain->close(); });
        QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(99); }); // safety net
        QCOMPARE(startUp.run(), 0);
    }
};

int main(int argc, char** argv)
{
    Application app(argc, argv);
    TstStart test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_start.moc"
