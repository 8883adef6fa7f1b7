// The main window: its look, its menu, and the commands it runs itself.

#include "Controlli.h"
#include "ModalDriver.h"
#include "TestEnv.h"
#include "engine/DataSet.h"
#include "engine/Error.h"
#include "platform/AppFolder.h"
#include "services/TFrmAbout.h"
#include "services/TfrmBug.h"
#include "shell/Application.h"
#include "shell/Fx.h"
#include "shell/TFrmMain.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

using platform::Answer;
using platform::Buttons;
using platform::Icon;
using testing_support::ModalDriver;
using testing_support::trova;

namespace {

// A widget whose event handler fails, as any window's handler might.
class Failing : public QWidget
{
public:
    bool std = false;
    int pressed = 0;

protected:
    void mousePressEvent(QMouseEvent*) override
    {
        ++pressed;
        if (std)
            throw std::runtime_error("guasto generico");
        throw zr::Error(QStringLiteral("Tabella non trovata"), 7);
    }
};

// A control of a window by its object name; a missing one fails the test run.
} // namespace

class TstMainWindow : public QObject
{
    Q_OBJECT

    // Each test has its own application folder (where the main window prepares its tables)
    // and its own recording desktop.
    std::unique_ptr<testing_support::TestEnv> m_env;
    std::unique_ptr<TFrmMain> main;

private Q_SLOTS:
    void init()
    {
        m_env = std::make_unique<testing_support::TestEnv>();
        main = std::make_unique<TFrmMain>();
        // Preparing the tables in a fresh folder says nothing.
        QCOMPARE(m_env->desktop.texts(), QStringList());
        QVERIFY(QFile::exists(m_env->file(QStringLiteral("Rubry.Db"))));
    }
    void cleanup()
    {
        main.reset();
        m_env.reset();
    }

    void title()
    {
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Zentor_Rubrica"));
        QCOMPARE(platform::applicationTitle(), QStringLiteral("Zentor_Rubrica"));
        QCOMPARE(main->windowTitle(), QStringLiteral("Zentor_Rubrica"));
        QCOMPARE(main->objectName(), QStringLiteral("FrmMain"));
        QCOMPARE(FrmMain, main.get());
    }

    void fixedSizeNoMaximise()
    {
        QCOMPARE(main->minimumSize(), main->maximumSize());
        QCOMPARE(trova<QWidget>(main.get(), "centralwidget")->size(), QSize(223, 180));
        QCOMPARE(main->width(), 223);
        QCOMPARE(main->height(), 180 + main->menuBar()->height());
        const Qt::WindowFlags flags = main->windowFlags();
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QVERIFY(flags & Qt::WindowMinimizeButtonHint);
        QVERIFY(flags & Qt::WindowSystemMenuHint);
        QVERIFY(flags & Qt::CustomizeWindowHint);
        // Showing does not change that.
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
        QCOMPARE(trova<QWidget>(main.get(), "centralwidget")->size(), QSize(223, 180));
        main->showMaximized();
        QCOMPARE(trova<QWidget>(main.get(), "centralwidget")->size(), QSize(223, 180));
    }

    void picture()
    {
        QCOMPARE(trova<QLabel>(main.get(), "Image1")->geometry(), QRect(0, 0, 223, 180));
        QVERIFY(!trova<QLabel>(main.get(), "Image1")->pixmap().isNull());
        QCOMPARE(trova<QLabel>(main.get(), "Image1")->pixmap().size(), QSize(223, 180));
        QVERIFY(!QApplication::windowIcon().isNull());
    }

    void labels_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QPoint>("pos");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("underline");
        QTest::newRow("Label1") << "Label1" << QPoint(12, 5) << "Zentor_Rubrica" << false;
        QTest::newRow("Label4") << "Label4" << QPoint(104, 36) << "con funzione di" << false;
        QTest::newRow("Label5") << "Label5" << QPoint(106, 52) << "ricerca" << true;
        QTest::newRow("Label7") << "Label7" << QPoint(113, 68) << "memorizzazione" << true;
        QTest::newRow("Label6") << "Label6" << QPoint(121, 84) << "visualizzazione" << true;
        QTest::newRow("Label8") << "Label8" << QPoint(130, 100) << "editazione di:" << true;
        QTest::newRow("Label9") << "Label9" << QPoint(142, 116) << "- nome," << false;
        QTest::newRow("Label10") << "Label10" << QPoint(142, 132) << "- cognome," << false;
        QTest::newRow("Label2") << "Label2" << QPoint(142, 148) << "- n. telefono," << false;
        QTest::newRow("Label3") << "Label3" << QPoint(142, 164) << "- e-mail." << false;
    }
    void labels()
    {
        QFETCH(QString, name);
        QFETCH(QPoint, pos);
        QFETCH(QString, caption);
        QFETCH(bool, underline);
        auto* label = main->findChild<QLabel*>(name);
        QVERIFY(label);
        QCOMPARE(label->pos(), pos);
        QCOMPARE(label->text(), caption);
        QVERIFY(label->font().bold());
        QCOMPARE(label->font().underline(), underline);
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::red));
        QVERIFY(!label->autoFillBackground());
        QCOMPARE(label->font().pixelSize(), name == QLatin1String("Label1") ? 27 : 11);
        // Over the picture.
        QVERIFY(trova<QWidget>(main.get(), "centralwidget")->children().indexOf(label) >
                trova<QWidget>(main.get(), "centralwidget")
                    ->children()
                    .indexOf(trova<QLabel>(main.get(), "Image1")));
    }

    void menu()
    {
        struct Item
        {
            const char* name;
            const char* caption;
        };
        struct Menu
        {
            const char* name;
            const char* caption;
            QList<Item> items;
        };
        const QList<Menu> expected = {
            {"File1",
             "&Principale",
             {{"Visualizzaselezione1", "Visualizza selezione"},
              {"Visualizzazionearchivio1", "Stampa archivio"},
              {"Esci1", "Esci"}}},
            {"Gestisci1",
             "&Gestisci",
             {{"Aggiunginuovaidentit1", "Aggiungi nuova identità"},
              {"Cancellaidentit1", "Cerca / Modifica / Cancella / Invia"},
              {"ScambioDati1", "Scambio Dati"}}},
            {"Utilit1",
             "Utilità",
             {{"Controllaversione1", "Controlla versione"},
              {"Segnalabug1", "Segnala bug"},
              {"mnuIndicizza", "Indicizza e ripara"},
              {"Salvataggiodati1", "Salvataggio dati"},
              {"Recuperodati1", "Recupero dati"},
              {"InviodatiaZentorProduzione1", "Invio dati a Zentor Zudizeveda"},
              {"Esportazioneasciiexcel1", "Esportazione ascii / excel"}}},
            {"About1", "&?", {{"Aiuto1", "Aiuto"}, {"N1", ""}, {"About2", "About"}}},
        };
        QCOMPARE(main->menuBar()->objectName(), QStringLiteral("MainMenu1"));
        const QList<QAction*> top = main->menuBar()->actions();
        QCOMPARE(top.size(), expected.size());
        for (int m = 0; m < expected.size(); ++m) {
            QMenu* menu = top[m]->menu();
            QVERIFY(menu);
            QCOMPARE(menu->objectName(), QString::fromUtf8(expected[m].name));
            QCOMPARE(menu->title(), QString::fromUtf8(expected[m].caption));
            const QList<QAction*> items = menu->actions();
            QCOMPARE(items.size(), expected[m].items.size());
            for (int i = 0; i < items.size(); ++i) {
                const Item& want = expected[m].items[i];
                const QString name =
                    items[i]->menu() ? items[i]->menu()->objectName() : items[i]->objectName();
                QCOMPARE(name, QString::fromUtf8(want.name));
                if (name == QLatin1String("N1")) {
                    QVERIFY(items[i]->isSeparator());
                    QVERIFY(items[i]->text().isEmpty()); // a plain line, no section title
                    continue;
                }
                QVERIFY(!items[i]->isSeparator());
                QCOMPARE(items[i]->text(), QString::fromUtf8(want.caption));
                QCOMPARE(items[i]->shortcut(), name == QLatin1String("Aiuto1")
                                                   ? QKeySequence(Qt::Key_F1)
                                                   : QKeySequence());
            }
        }
        // The exchange submenu.
        QMenu* exchange = trova<QMenu>(main.get(), "ScambioDati1");
        QCOMPARE(exchange->actions().size(), 2);
        QCOMPARE(exchange->actions()[0]->objectName(), QStringLiteral("Esportarubricaperoutlook1"));
        QCOMPARE(exchange->actions()[0]->text(), QStringLiteral("Esporta rubrica per outlook"));
        QCOMPARE(exchange->actions()[1]->objectName(), QStringLiteral("Importarubricadioutlook1"));
        QCOMPARE(exchange->actions()[1]->text(), QStringLiteral("Importa rubrica di outlook"));
    }

    void help_data()
    {
        QTest::addColumn<bool>("present");
        QTest::addColumn<bool>("byKey");
        QTest::newRow("present, menu") << true << false;
        QTest::newRow("absent, menu") << false << false;
        QTest::newRow("present, F1") << true << true;
        QTest::newRow("absent, F1") << false << true;
    }
    void help()
    {
        QFETCH(bool, present);
        QFETCH(bool, byKey);
        testing_support::TestEnv& env = *m_env;
        if (present)
            env.writeFile(QStringLiteral("help.html"), "<html></html>");
        if (byKey) {
            main->show();
            main->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(main.get()));
            QTest::keyClick(main.get(), Qt::Key_F1);
        } else {
            trova<QAction>(main.get(), "Aiuto1")->trigger();
        }
        if (present) {
            QVERIFY(env.desktop.boxes.isEmpty());
            QCOMPARE(env.desktop.urls, QList<QUrl>{QUrl::fromLocalFile(env.file("help.html"))});
        } else {
            QVERIFY(env.desktop.urls.isEmpty());
            QCOMPARE(env.desktop.boxes.size(), 1);
            QCOMPARE(env.desktop.boxes[0],
                     (platform::MessageBox{QStringLiteral("Errore"),
                                           QStringLiteral("Impossibile aprire la guida, file "
                                                          "help.html non trovato"),
                                           Icon::Critical, Buttons::Ok}));
        }
    }

    void helpFolderIsNotAPage()
    {
        testing_support::TestEnv& env = *m_env;
        QDir(env.folder()).mkdir(QStringLiteral("help.html"));
        trova<QAction>(main.get(), "Aiuto1")->trigger();
        QVERIFY(env.desktop.urls.isEmpty());
        QCOMPARE(env.desktop.boxes.size(), 1);
    }

    void rebuildAnsweredNo()
    {
        testing_support::TestEnv& env = *m_env;
        env.desktop.answers = {Answer::No};
        trova<QAction>(main.get(), "mnuIndicizza")->trigger();
        QCOMPARE(env.desktop.boxes.size(), 1);
        QCOMPARE(env.desktop.boxes[0],
                 (platform::MessageBox{
                     QStringLiteral("Richiesta."),
                     QStringLiteral("Confermi l'operazione di reindicizzazione delle tabelle?"),
                     Icon::Question, Buttons::YesNo}));
        QVERIFY(env.desktop.commandLines.isEmpty());
    }

    void rebuildExitCodes_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("message");
        QTest::newRow("0") << 0 << false;
        QTest::newRow("1") << 1 << false;
        QTest::newRow("-2") << -2 << true;
        QTest::newRow("2") << 2 << false;
        QTest::newRow("-1") << -1 << false;
    }
    void rebuildExitCodes()
    {
        QFETCH(int, code);
        QFETCH(bool, message);
        testing_support::TestEnv& env = *m_env;
        env.desktop.answers = {Answer::Yes};
        env.desktop.exitCodes = {code};
        trova<QAction>(main.get(), "mnuIndicizza")->trigger();

        const QString folder = PercorsoProgramma();
        QCOMPARE(env.desktop.commandLines,
                 QStringList{folder + QStringLiteral("Pdxrbld.exe -Q+ -R1 \"/F") + folder +
                             QStringLiteral("\"")});
        QCOMPARE(env.desktop.boxes.size(), message ? 2 : 1);
        if (message) {
            QCOMPARE(env.desktop.boxes[1],
                     (platform::MessageBox{
                         QStringLiteral("Zentor_Rubrica"),
                         QStringLiteral(
                             "Impossibile eseguire il controllo mentre il database è in uso!"),
                         Icon::None, Buttons::Ok}));
        }
    }

    void rebuildLine_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("line");
        QTest::newRow("windows folder") << "C:\\Dati\\"
                                        << "C:\\Dati\\Pdxrbld.exe -Q+ -R1 \"/FC:\\Dati\\\"";
        QTest::newRow("posix folder") << "/opt/zr/"
                                      << "/opt/zr/Pdxrbld.exe -Q+ -R1 \"/F/opt/zr/\"";
        QTest::newRow("blank in folder: the program path is quoted")
            << "/opt/my zr/"
            << "\"/opt/my zr/Pdxrbld.exe\" -Q+ -R1 \"/F/opt/my zr/\"";
        QTest::newRow("percent signs kept") << "/opt/%1%2/"
                                            << "/opt/%1%2/Pdxrbld.exe -Q+ -R1 \"/F/opt/%1%2/\"";
    }
    void rebuildLine()
    {
        QFETCH(QString, folder);
        QFETCH(QString, line);
        QCOMPARE(TFrmMain::RigaRicostruzione(folder), line);
    }

    void rebuildToolError()
    {
        // The tool cannot be started: the error reaches the default report, and the main
        // window goes on working.
        testing_support::TestEnv& env = *m_env;
        env.desktop.answers = {Answer::Yes, Answer::Yes};
        env.desktop.onRun = [](const QString&) -> int {
            throw zr::Error(QStringLiteral("Error during CreateProcess"));
        };
        trova<QAction>(main.get(), "mnuIndicizza")->trigger();
        QCOMPARE(env.desktop.boxes.size(), 2);
        QCOMPARE(env.desktop.boxes[1],
                 (platform::MessageBox{QStringLiteral("Zentor_Rubrica"),
                                       QStringLiteral("Error during CreateProcess"), Icon::Critical,
                                       Buttons::Ok}));
        env.desktop.onRun = nullptr;
        env.desktop.exitCodes = {-2};
        trova<QAction>(main.get(), "mnuIndicizza")->trigger();
        QCOMPARE(env.desktop.commandLines.size(), 2);
        QCOMPARE(env.desktop.boxes.size(), 4);
        QCOMPARE(env.desktop.boxes[3].icon, Icon::None);
    }

    void rebuildRealTool()
    {
        // The whole way through a real process: a tool in the application folder that
        // reports -2.
        testing_support::TestEnv& env = *m_env;
        env.writeFile(QStringLiteral("Pdxrbld.exe"), "#!/bin/sh\nexit 254\n");
        QFile(env.file(QStringLiteral("Pdxrbld.exe")))
            .setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        env.desktop.answers = {Answer::Yes};
        env.desktop.onRun = [](const QString& line) {
            return platform::QtDesktop().runAndWait(line);
        };
        trova<QAction>(main.get(), "mnuIndicizza")->trigger();
        QCOMPARE(env.desktop.texts().last(),
                 QStringLiteral("Impossibile eseguire il controllo mentre il database è in uso!"));
    }

    void rebuildWithTheShippedTool()
    {
        // The repair tool built with the program, run through the real process seam, in a
        // folder whose name has a blank: a table held open makes it answer -2.
        const QString tools = qEnvironmentVariable("ZR_TEST_TOOLS");
        if (tools.isEmpty() || !QFile::exists(tools + QStringLiteral("/Pdxrbld.exe")))
            QSKIP("the repair tool is not built");
        QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/zr app XXXXXX"));
        const QByteArray previous = qgetenv(platform::kAppFolderVariable);
        qputenv(platform::kAppFolderVariable, dir.path().toLocal8Bit());
        QVERIFY(QFile::copy(tools + QStringLiteral("/Pdxrbld.exe"), dir.filePath("Pdxrbld.exe")));
        auto& env = *m_env;
        env.desktop.onRun = [](const QString& line) {
            return platform::QtDesktop().runAndWait(line);
        };
        {
            engine::Table table(QStringLiteral("Rubry.Db"));
            table.fieldDefs << engine::FieldDef{QStringLiteral("Nome"), engine::FieldKind::String,
                                                50, false};
            table.createTable();
            table.open();
            env.desktop.answers = {Answer::Yes};
            trova<QAction>(main.get(), "mnuIndicizza")->trigger();
            QCOMPARE(
                env.desktop.texts().value(1),
                QStringLiteral("Impossibile eseguire il controllo mentre il database è in uso!"));
        }
        env.desktop.clear();
        env.desktop.answers = {Answer::Yes};
        trova<QAction>(main.get(), "mnuIndicizza")->trigger();
        QCOMPARE(env.desktop.texts(),
                 QStringList{
                     QStringLiteral("Confermi l'operazione di reindicizzazione delle tabelle?")});
        qputenv(platform::kAppFolderVariable, previous);
    }

    void esci()
    {
        // Closing the main window ends the run loop, and with it the program.
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
        QTimer::singleShot(0, main.get(),
                           [this] { trova<QAction>(main.get(), "Esci1")->trigger(); });
        QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(99); }); // safety net
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(!main->isVisible());
    }

    void laterWindowsHooked_data()
    {
        QTest::addColumn<QString>("item");
        for (const char* item :
             {"Visualizzaselezione1", "Visualizzazionearchivio1", "Aggiunginuovaidentit1",
              "Cancellaidentit1", "Controllaversione1", "Salvataggiodati1", "Recuperodati1",
              "InviodatiaZentorProduzione1", "Esportazioneasciiexcel1"})
            QTest::newRow(item) << QString::fromLatin1(item);
    }
    void laterWindowsHooked()
    {
        QFETCH(QString, item);
        testing_support::TestEnv& env = *m_env;
        QStringList ran;
        QWidget* owner = nullptr;
        for (const QString& key :
             {QStringLiteral("Visualizzaselezione1"), QStringLiteral("Recuperodati1"),
              QStringLiteral("Cancellaidentit1"), item})
            main->comandi[key] = [&ran, &owner, key](QWidget* o) {
                ran << key;
                owner = o;
            };
        // Without a hook nothing happens; with one, exactly that one runs.
        main->findChild<QAction*>(item)->trigger();
        QCOMPARE(ran, QStringList{item});
        QCOMPARE(owner, main.get());
        QVERIFY(env.desktop.boxes.isEmpty());
    }

    void exchangeDialogs_data()
    {
        QTest::addColumn<bool>("save");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("export") << true << "/tmp/rubrica.csv";
        QTest::newRow("export cancelled") << true << "";
        QTest::newRow("import") << false << "/tmp/outlook.csv";
        QTest::newRow("import cancelled") << false << "";
    }
    void exchangeDialogs()
    {
        QFETCH(bool, save);
        QFETCH(QString, chosen);
        testing_support::TestEnv& env = *m_env;
        env.desktop.fileAnswers = {chosen};
        QStringList exported, imported;
        main->SaveDialog1CanClose = [&](const QString& f) { exported << f; };
        main->OpenDialog1CanClose = [&](const QString& f) { imported << f; };
        (save ? trova<QAction>(main.get(), "Esportarubricaperoutlook1")
              : trova<QAction>(main.get(), "Importarubricadioutlook1"))
            ->trigger();
        QCOMPARE(env.desktop.fileRequests.size(), 1);
        QCOMPARE(env.desktop.fileRequests[0].save, save);
        QCOMPARE(env.desktop.fileRequests[0].dialog.filter,
                 QStringLiteral("File di testo (csv) (*.csv)"));
        // Neither dialog asks before replacing a file or insists on an existing one.
        if (save)
            QVERIFY(!env.desktop.fileRequests[0].dialog.confirmOverwrite);
        else
            QVERIFY(!env.desktop.fileRequests[0].dialog.mustExist);
        const QStringList expected = chosen.isEmpty() ? QStringList() : QStringList{chosen};
        QCOMPARE(save ? exported : imported, expected);
        QVERIFY((save ? imported : exported).isEmpty());
    }

    void bugWindowPerUse()
    {
        QList<QPointer<QWidget>> opened;
        QStringList parents;
        ModalDriver driver([&](QWidget* w) {
            opened << w;
            parents << (w->parentWidget() ? w->parentWidget()->objectName() : QString());
            auto* bug = qobject_cast<TfrmBug*>(w);
            QVERIFY(bug);
            QVERIFY(bug->isModal());
            trova<QPushButton>(bug, "ButEsci")->click();
        });
        trova<QAction>(main.get(), "Segnalabug1")->trigger();
        trova<QAction>(main.get(), "Segnalabug1")->trigger();
        QVERIFY(!driver.timedOut);
        QCOMPARE(opened.size(), 2);
        QCOMPARE(parents, QStringList({"FrmMain", "FrmMain"}));
        // Destroyed when its modal run ended.
        QVERIFY(opened[0].isNull());
        QVERIFY(opened[1].isNull());
    }

    void aboutIsTheLivingWindow()
    {
        TFrmAbout about;
        QList<QWidget*> shown;
        ModalDriver driver([&](QWidget* w) {
            shown << w;
            // The state it kept is still there.
            QCOMPARE(trova<QLabel>(w, "LabelVers")->text(), QStringLiteral("04.2002-22"));
            trova<QAbstractButton>(w, "sbEsci")->click();
        });
        trova<QAction>(main.get(), "About2")->trigger();
        QTRY_COMPARE(shown.size(), 1);
        trova<QAction>(main.get(), "About2")->trigger();
        QVERIFY(!driver.timedOut);
        QCOMPARE(shown, (QList<QWidget*>{&about, &about}));
        QVERIFY(!about.isVisible());
    }

    void errorInEventHandler_data()
    {
        QTest::addColumn<bool>("std");
        QTest::addColumn<QString>("text");
        QTest::newRow("program error") << false << "Tabella non trovata";
        QTest::newRow("standard error") << true << "guasto generico";
    }
    void errorInEventHandler()
    {
        // An error escaping an event handler is shown in the default error report and the
        // program goes on: the same widget gets the next click too.
        QFETCH(bool, std);
        QFETCH(QString, text);
        testing_support::TestEnv& env = *m_env;
        Failing w;
        w.std = std;
        w.resize(50, 50);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTest::mouseClick(&w, Qt::LeftButton);
        QTest::mouseClick(&w, Qt::LeftButton);
        QCOMPARE(w.pressed, 2);
        QCOMPARE(env.desktop.boxes.size(), 2);
        QCOMPARE(env.desktop.boxes[0], (platform::MessageBox{QStringLiteral("Zentor_Rubrica"), text,
                                                             Icon::Critical, Buttons::Ok}));
    }

    void errorInMenuHandler()
    {
        testing_support::TestEnv& env = *m_env;
        main->comandi[QStringLiteral("Visualizzaselezione1")] = [](QWidget*) {
            throw zr::Error(QStringLiteral("Indice danneggiato"));
        };
        trova<QAction>(main.get(), "Visualizzaselezione1")->trigger();
        QCOMPARE(env.desktop.boxes.size(), 1);
        QCOMPARE(env.desktop.boxes[0].caption, QStringLiteral("Zentor_Rubrica"));
        QCOMPARE(env.desktop.boxes[0].icon, Icon::Critical);
        QCOMPARE(env.desktop.boxes[0].text, QStringLiteral("Indice danneggiato"));
        // The menu still works.
        trova<QAction>(main.get(), "Aiuto1")->trigger();
        QCOMPARE(env.desktop.boxes.size(), 2);
    }

    void perUseWindowFreedAfterError()
    {
        // A window opened per use is destroyed even when an error escapes its modal run.
        testing_support::TestEnv& env = *m_env;
        struct Boom : QDialog
        {
            using QDialog::QDialog;
            int exec() override { throw zr::Error(QStringLiteral("Cartella backup non creata")); }
        };
        main->comandi[QStringLiteral("Salvataggiodati1")] = ApriModale<Boom>;
        const qsizetype before = main->findChildren<QDialog*>().size();
        trova<QAction>(main.get(), "Salvataggiodati1")->trigger();
        QCOMPARE(main->findChildren<QDialog*>().size(), before);
        QCOMPARE(env.desktop.texts(), QStringList{QStringLiteral("Cartella backup non creata")});
    }

    void guardedReports_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        QTest::newRow("program error") << 0 << "Errore nella tabella";
        QTest::newRow("engine error") << 1 << "Campo inesistente";
        QTest::newRow("standard error") << 2 << "vector::at";
        QTest::newRow("anything else") << 3 << "Errore imprevisto.";
        QTest::newRow("nothing thrown") << 4 << "";
    }
    void guardedReports()
    {
        QFETCH(int, kind);
        QFETCH(QString, text);
        testing_support::TestEnv& env = *m_env;
        bool after = false;
        shell::guarded([&] {
            switch (kind) {
            case 0:
                throw zr::Error(QStringLiteral("Errore nella tabella"));
            case 1:
                throw zr::EngineError(QStringLiteral("Campo inesistente"), 3);
            case 2:
                throw std::out_of_range("vector::at");
            case 3:
                throw 42;
            default:
                break;
            }
            after = true;
        });
        QCOMPARE(after, text.isEmpty());
        if (text.isEmpty()) {
            QVERIFY(env.desktop.boxes.isEmpty());
            return;
        }
        const platform::MessageBox expected{QStringLiteral("Zentor_Rubrica"), text, Icon::Critical,
                                            Buttons::Ok};
        QCOMPARE(env.desktop.boxes, QList<platform::MessageBox>{expected});
    }

    void reportThatFailsIsSwallowed()
    {
        // Even a report that cannot be shown does not let the error out.
        testing_support::TestEnv& env = *m_env;
        env.desktop.onMessage = [](const platform::MessageBox&) -> std::optional<Answer> {
            throw std::runtime_error("no display");
        };
        shell::guarded([] { throw zr::Error(QStringLiteral("x")); });
        QCOMPARE(env.desktop.boxes.size(), 1);
    }

    void italianButtons()
    {
        QMessageBox box(QMessageBox::Question, "t", "q",
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Yes)->text().remove(u'&'), QStringLiteral("Sì"));
        QCOMPARE(box.button(QMessageBox::No)->text().remove(u'&'), QStringLiteral("No"));
        QCOMPARE(box.button(QMessageBox::Cancel)->text().remove(u'&'), QStringLiteral("Annulla"));
        QCOMPARE(QLocale().language(), QLocale::Italian);
    }
};

int main(int argc, char** argv)
{
    Application app(argc, argv);
    TstMainWindow test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_main_window.moc"
