// The new-contact window driven as a user would: Tab, typing, clicks; the table checked
// through the engine afterwards.
#include "RubricaFixture.h"
#include "TestEnv.h"
#include "contacts/RegoleInserimento.h"
#include "contacts/TFrmInserisci.h"
#include "engine/DataSet.h"
#include "engine/detail/Sqlite.h"
#include "platform/Desktop.h"

#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

using contacts::Campo;
using testing_support::BloccoScrittura;
using testing_support::ContattoNumerato;
using testing_support::creaRubrica;
using testing_support::leggiRubricaNumerata;

namespace {

const QString kNonSufficenti = QStringLiteral("I dati non sono sufficenti...!");
const QString kAggiunta = QStringLiteral("Nuova identità aggiunta con successo alla rubrica!");
const QString kBloccato =
    QStringLiteral("Impossibile eseguire l'immissione, l'accesso all'archivio è bloccato!");

// The window's controls, found by their names.
struct Controlli
{
    explicit Controlli(QWidget* w)
    {
        auto trova = [w](auto*& p, const char* name) {
            p = w->findChild<std::remove_reference_t<decltype(*p)>*>(QLatin1String(name));
            if (!p)
                qFatal("missing control %s", name);
        };
        trova(EDTnome, "EDTnome");
        trova(EDTcognome, "EDTcognome");
        trova(EDTnumero, "EDTnumero");
        trova(EDTmail, "EDTmail");
        trova(BBmem, "BBmem");
        trova(BBannulla, "BBannulla");
        trova(SpeedButton1, "SpeedButton1");
        trova(Panel1, "Panel1");
        trova(Panel2, "Panel2");
        trova(Panel3, "Panel3");
    }
    QLineEdit *EDTnome, *EDTcognome, *EDTnumero, *EDTmail;
    QPushButton *BBmem, *BBannulla;
    QToolButton* SpeedButton1;
    QFrame *Panel1, *Panel2, *Panel3;
};

// One open window in its own application folder with a fresh contacts table.
struct Banco
{
    testing_support::TestEnv env;
    std::unique_ptr<TFrmInserisci> w;
    std::unique_ptr<Controlli> ui;

    explicit Banco(bool tabella = true)
    {
        if (tabella)
            creaRubrica();
        w = std::make_unique<TFrmInserisci>();
        ui = std::make_unique<Controlli>(w.get());
    }
    bool mostra()
    {
        w->show();
        w->activateWindow();
        return QTest::qWaitForWindowActive(w.get());
    }
    QWidget* fuoco() const { return w->focusWidget(); }
    // Each box takes the activation away from the window and gives it back when it
    // closes, as a real message box does.
    QWidget altra;
    void boxComeVeri()
    {
        env.desktop.onMessage =
            [this](const platform::MessageBox&) -> std::optional<platform::Answer> {
            altra.show();
            altra.activateWindow();
            const bool via = QTest::qWaitForWindowActive(&altra);
            altra.hide();
            w->activateWindow();
            const bool tornata = QTest::qWaitForWindowActive(w.get());
            if (!via || !tornata)
                qWarning("activation not simulated");
            return platform::Answer::Ok;
        };
    }
    void tab() { QTest::keyClick(fuoco(), Qt::Key_Tab); }
    void backtab() { QTest::keyClick(fuoco(), Qt::Key_Backtab); }
    void digita(const QString& text) { QTest::keyClicks(fuoco(), text); }
    // From the button that holds the focus on opening, Tab twice reaches the name edit.
    void versoNome()
    {
        tab();
        tab();
    }
    // Enters the four edits in tab order, typing the given texts.
    void compila(const QString& nome, const QString& cognome, const QString& numero,
                 const QString& mail)
    {
        versoNome();
        digita(nome);
        tab();
        digita(cognome);
        tab();
        digita(numero);
        tab();
        digita(mail);
    }
    void inserisci() { QTest::mouseClick(ui->BBmem, Qt::LeftButton); }
    QList<QLineEdit*> edits() const
    {
        return {ui->EDTnome, ui->EDTcognome, ui->EDTnumero, ui->EDTmail};
    }
    bool segnaposti() const
    {
        const Campo campi[] = {Campo::Nome, Campo::Cognome, Campo::Numero, Campo::Mail};
        for (int i = 0; i < 4; ++i) {
            QLineEdit* e = edits()[i];
            if (w->inserito(e) || e->text() != TFrmInserisci::segnaposto(campi[i]) ||
                e->palette().color(QPalette::Base) != TFrmInserisci::coloreSegnaposto())
                return false;
        }
        return true;
    }
};

} // namespace

class TstInserisci : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void controlsAsLaidOut()
    {
        Banco b;
        QVERIFY(b.mostra());
        QCOMPARE(b.w->windowTitle(), QStringLiteral("Inserisci nuovo contatto"));
        QCOMPARE(b.w->objectName(), QStringLiteral("FrmInserisci"));
        QCOMPARE(b.w->size(), QSize(254, 112));
        QCOMPARE(b.ui->EDTnome->geometry(), QRect(8, 8, 121, 21));
        QCOMPARE(b.ui->EDTcognome->y(), 32);
        QCOMPARE(b.ui->EDTnumero->y(), 56);
        QCOMPARE(b.ui->EDTmail->y(), 80);
        QCOMPARE(b.ui->Panel1->width(), 139);
        QCOMPARE(b.ui->BBmem->text(), QStringLiteral("Inserisci"));
        QVERIFY(b.ui->BBmem->font().bold());
        QCOMPARE(b.ui->BBannulla->text(), QStringLiteral("Annulla"));
        QCOMPARE(b.ui->SpeedButton1->text(), QStringLiteral("Esci"));
        QCOMPARE(b.ui->SpeedButton1->focusPolicy(), Qt::NoFocus);
        QCOMPARE(b.ui->Panel3->size(), QSize(95, 3));
        QVERIFY(!b.w->tblInserisci()->active());
        QCOMPARE(b.w->tblInserisci()->objectName(), QStringLiteral("TblInserisci"));

        // Opens with the button holding the focus, no edit entered.
        QCOMPARE(b.fuoco(), b.ui->BBmem);
        QVERIFY(b.segnaposti());
        // Tab order: the buttons, then name, surname, number, e-mail, and round again.
        const QList<QWidget*> ordine = {b.ui->BBannulla, b.ui->EDTnome, b.ui->EDTcognome,
                                        b.ui->EDTnumero, b.ui->EDTmail, b.ui->BBmem};
        for (QWidget* atteso : ordine) {
            if (b.fuoco() == b.ui->EDTnome || b.fuoco() == b.ui->EDTcognome)
                b.digita(QStringLiteral("x")); // the name rule would hold an empty edit
            b.tab();
            QCOMPARE(b.fuoco(), atteso);
        }
        QVERIFY(b.env.desktop.boxes.isEmpty());
    }

    // Each entry empties the edit and gives it the window colour; placeholders otherwise.
    void enteredState()
    {
        Banco b;
        QVERIFY(b.mostra());
        QCOMPARE(b.ui->EDTnome->palette().color(QPalette::Base), TFrmInserisci::coloreSegnaposto());
        b.versoNome();
        QCOMPARE(b.fuoco(), b.ui->EDTnome);
        QVERIFY(b.w->inserito(b.ui->EDTnome));
        QCOMPARE(b.ui->EDTnome->text(), QString());
        QCOMPARE(b.ui->EDTnome->palette().color(QPalette::Base), TFrmInserisci::coloreInserito());
        QVERIFY(!b.w->inserito(b.ui->EDTcognome));
        QCOMPARE(b.ui->EDTcognome->text(), QStringLiteral("Inserisci qui il cognome..."));
        QCOMPARE(b.ui->EDTnumero->text(), QStringLiteral("Inserisci qui il numero..."));
        QCOMPARE(b.ui->EDTmail->text(), QStringLiteral("Inserisci qui la mail..."));
    }

    // Typing a name, moving to the surname and coming back empties the name again.
    void returningEmptiesAgain()
    {
        Banco b;
        QVERIFY(b.mostra());
        b.versoNome();
        b.digita(QStringLiteral("Mario"));
        b.tab();
        QCOMPARE(b.fuoco(), b.ui->EDTcognome);
        b.digita(QStringLiteral("Rossi"));
        b.backtab();
        QCOMPARE(b.fuoco(), b.ui->EDTnome);
        QCOMPARE(b.ui->EDTnome->text(), QString());
        QCOMPARE(b.ui->EDTcognome->text(), QStringLiteral("Rossi"));
        // a click enters just the same
        b.digita(QStringLiteral("Anna"));
        QTest::mouseClick(b.ui->EDTcognome, Qt::LeftButton);
        QCOMPARE(b.fuoco(), b.ui->EDTcognome);
        QCOMPARE(b.ui->EDTcognome->text(), QString());
        QCOMPARE(b.ui->EDTnome->text(), QStringLiteral("Anna"));
    }

    // The save check tests the states, not the texts.
    void notEnoughData_data()
    {
        QTest::addColumn<int>("entrati"); // how many edits, in tab order, were entered
        QTest::newRow("none") << 0;
        QTest::newRow("name only") << 1;
        QTest::newRow("three of four") << 3;
    }
    void notEnoughData()
    {
        QFETCH(int, entrati);
        Banco b;
        b.boxComeVeri();
        QVERIFY(b.mostra());
        if (entrati > 0) {
            b.versoNome();
            for (int i = 0; i < entrati; ++i) {
                b.digita(QStringLiteral("abc"));
                if (i + 1 < entrati)
                    b.tab();
            }
        }
        b.inserisci();
        QCOMPARE(b.env.desktop.texts(), QStringList{kNonSufficenti});
        QCOMPARE(b.env.desktop.boxes.first().caption, QStringLiteral("Errore"));
        QCOMPARE(b.env.desktop.boxes.first().icon, platform::Icon::Critical);
        QVERIFY(leggiRubricaNumerata().isEmpty());
        QVERIFY(!b.w->tblInserisci()->active());
        // the edits are not reset by the box
        if (entrati > 0)
            QCOMPARE(b.ui->EDTnome->text(), QStringLiteral("abc"));
    }

    // A full insert: the record in the table, numbered; placeholders back; a second one.
    void insertStoresRecord()
    {
        Banco b;
        QVERIFY(b.mostra());
        b.compila(QStringLiteral("Mario"), QStringLiteral("Rossi"), QStringLiteral("0612345"),
                  QStringLiteral("mario@rossi.it"));
        b.inserisci();
        QCOMPARE(b.env.desktop.texts(), QStringList{kAggiunta});
        QCOMPARE(b.env.desktop.boxes.first().caption, QStringLiteral("Messaggio."));
        QCOMPARE(b.env.desktop.boxes.first().icon, platform::Icon::Information);
        QCOMPARE(leggiRubricaNumerata(),
                 (QList<ContattoNumerato>{{1, {"Rossi", "Mario", "0612345", "mario@rossi.it"}}}));
        QVERIFY(b.segnaposti());
        QCOMPARE(b.fuoco(), b.ui->BBmem);

        // The next contact can be typed at once; the same person may be added twice.
        b.env.desktop.clear();
        b.compila(QStringLiteral("Mario"), QStringLiteral("Rossi"), QStringLiteral("0612345"),
                  QStringLiteral("mario@rossi.it"));
        b.inserisci();
        QCOMPARE(b.env.desktop.texts(), QStringList{kAggiunta});
        const auto rubrica = leggiRubricaNumerata();
        QCOMPARE(rubrica.size(), 2);
        QCOMPARE(rubrica[1].numId, 2);
        QCOMPARE(rubrica[1].dati.nome, QStringLiteral("Mario"));
    }

    // Entered and left empty is enough: number and e-mail stored empty.
    void enteredEmptyIsEnough()
    {
        Banco b;
        QVERIFY(b.mostra());
        b.compila(QStringLiteral("Anna"), QStringLiteral("Bianchi"), QString(), QString());
        b.inserisci();
        QCOMPARE(b.env.desktop.texts(), QStringList{kAggiunta});
        QCOMPARE(leggiRubricaNumerata(),
                 (QList<ContattoNumerato>{{1, {"Bianchi", "Anna", "", ""}}}));
    }

    // No more than a field holds can be typed.
    void typingStopsAtFieldWidth()
    {
        Banco b;
        QVERIFY(b.mostra());
        b.compila(QString(60, u'a'), QString(60, u'b'), QString(25, u'1'),
                  QStringLiteral("x@") + QString(50, u'c'));
        QCOMPARE(b.ui->EDTnome->text().size(), 50);
        QCOMPARE(b.ui->EDTnumero->text().size(), 20);
        QCOMPARE(b.ui->EDTmail->text().size(), 40);
        b.inserisci();
        const auto rubrica = leggiRubricaNumerata();
        QCOMPARE(rubrica.size(), 1);
        QCOMPARE(rubrica[0].dati.nome, QString(50, u'a'));
        QCOMPARE(rubrica[0].dati.mail, QStringLiteral("x@") + QString(38, u'c'));
    }

    // The key filters of this window on its own edits.
    void keyFilters_data()
    {
        QTest::addColumn<int>("edit"); // 0 name, 1 surname, 2 number
        QTest::addColumn<QString>("digitato");
        QTest::addColumn<QString>("atteso");
        QTest::newRow("name apostrophe space") << 0 << "D'Amico De"
                                               << "DAmicoDe";
        QTest::newRow("surname digits plus") << 1 << "Ro+ss1i/"
                                             << "Rossi";
        QTest::newRow("number dash slash") << 2 << "06-12/3+4 a"
                                           << "061234";
    }
    void keyFilters()
    {
        QFETCH(int, edit);
        QFETCH(QString, digitato);
        QFETCH(QString, atteso);
        Banco b;
        QVERIFY(b.mostra());
        b.versoNome();
        for (int i = 0; i < edit; ++i) {
            b.digita(QStringLiteral("x"));
            b.tab();
        }
        b.digita(digitato);
        QTest::keyClick(b.fuoco(), Qt::Key_Backspace);
        atteso.chop(1);
        QCOMPARE(b.edits()[edit]->text(), atteso);
    }

    // An address without "@": leaving the edit by clicking "Inserisci" shows the e-mail
    // error once, the focus returns to the e-mail edit, nothing is stored, no edit reset.
    void badMailClickStoresNothing()
    {
        Banco b;
        b.boxComeVeri();
        QVERIFY(b.mostra());
        b.compila(QStringLiteral("Mario"), QStringLiteral("Rossi"), QStringLiteral("06"),
                  QStringLiteral("abc"));
        b.inserisci();
        QTRY_COMPARE(b.fuoco(), b.ui->EDTmail);
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        QCOMPARE(b.env.desktop.texts(), QStringList{contacts::MsgMailErrata()});
        QVERIFY(leggiRubricaNumerata().isEmpty());
        QCOMPARE(b.ui->EDTmail->text(), QStringLiteral("abc"));
        QCOMPARE(b.ui->EDTnome->text(), QStringLiteral("Mario"));
        QCOMPARE(b.ui->EDTnumero->text(), QStringLiteral("06"));
        QCOMPARE(b.fuoco(), b.ui->EDTmail);

        // Corrected, the contact is stored.
        b.digita(QStringLiteral("@x.it"));
        b.env.desktop.clear();
        b.inserisci();
        QCOMPARE(b.env.desktop.texts(), QStringList{kAggiunta});
        QCOMPARE(leggiRubricaNumerata(),
                 (QList<ContattoNumerato>{{1, {"Rossi", "Mario", "06", "abc@x.it"}}}));
    }

    // Leaving the e-mail edit by Tab: one box, the focus back, the text kept.
    void badMailTabKeepsFocus()
    {
        Banco b;
        b.boxComeVeri();
        QVERIFY(b.mostra());
        b.compila(QStringLiteral("Mario"), QStringLiteral("Rossi"), QString(),
                  QStringLiteral("abc"));
        b.tab();
        QTRY_COMPARE(b.fuoco(), b.ui->EDTmail);
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        QCOMPARE(b.env.desktop.texts(), QStringList{contacts::MsgMailErrata()});
        QCOMPARE(b.ui->EDTmail->text(), QStringLiteral("abc"));
        // The handler reached without leaving the edit refuses the address as well.
        b.env.desktop.clear();
        b.w->BBmemClick();
        QCOMPARE(b.env.desktop.texts(), QStringList{contacts::MsgMailErrata()});
        QVERIFY(leggiRubricaNumerata().isEmpty());
    }

    // The empty name keeps the focus; "Esci", which takes no focus, still closes.
    void emptyNameThenExit()
    {
        Banco b;
        QVERIFY(b.mostra());
        b.versoNome();
        b.tab();
        QTRY_COMPARE(b.fuoco(), b.ui->EDTnome);
        QVERIFY(b.env.desktop.boxes.isEmpty());
        QVERIFY(!b.w->inserito(b.ui->EDTcognome)); // passed through, not entered
        QTest::mouseClick(b.ui->SpeedButton1, Qt::LeftButton);
        QVERIFY(!b.w->isVisible());
        QVERIFY(b.env.desktop.boxes.isEmpty());
    }

    // Back in the name edit (emptied on entry) a click on "Inserisci" leaves it empty: the
    // name rule takes the focus back and nothing is stored.
    void emptyNameClickStoresNothing()
    {
        Banco b;
        QVERIFY(b.mostra());
        b.compila(QStringLiteral("Mario"), QStringLiteral("Rossi"), QStringLiteral("06"),
                  QStringLiteral("m@r"));
        QTest::mouseClick(b.ui->EDTnome, Qt::LeftButton);
        QCOMPARE(b.ui->EDTnome->text(), QString());
        b.inserisci();
        QTRY_COMPARE(b.fuoco(), b.ui->EDTnome);
        QVERIFY(b.env.desktop.boxes.isEmpty());
        QVERIFY(leggiRubricaNumerata().isEmpty());
        b.digita(QStringLiteral("Luigi"));
        b.inserisci();
        QCOMPARE(b.env.desktop.texts(), QStringList{kAggiunta});
        QCOMPARE(leggiRubricaNumerata(),
                 (QList<ContattoNumerato>{{1, {"Rossi", "Luigi", "06", "m@r"}}}));
    }

    void cancelResets()
    {
        Banco b;
        QVERIFY(b.mostra());
        b.compila(QStringLiteral("Mario"), QStringLiteral("Rossi"), QStringLiteral("06"),
                  QStringLiteral("a@b"));
        QTest::mouseClick(b.ui->BBannulla, Qt::LeftButton);
        QVERIFY(b.segnaposti());
        QCOMPARE(b.fuoco(), b.ui->BBannulla);
        b.inserisci();
        QCOMPARE(b.env.desktop.texts(), QStringList{kNonSufficenti});
    }

    // Showing the window again resets it; a message box closing does not.
    void activationResets()
    {
        Banco b;
        QVERIFY(b.mostra());
        b.versoNome();
        b.digita(QStringLiteral("Mario"));
        b.backtab();
        QCOMPARE(b.fuoco(), b.ui->BBannulla);
        b.w->hide();
        QVERIFY(b.mostra());
        QVERIFY(b.segnaposti());
    }

    // The table is held by another program while storing: the error box, nothing stored,
    // the edits keep their texts and states so that "Inserisci" can be pressed again.
    void lockedTableKeepsEdits()
    {
        Banco b;
        engine::detail::setBusyTimeout(0);
        QVERIFY(b.mostra());
        b.compila(QStringLiteral("Mario"), QStringLiteral("Rossi"), QStringLiteral("06"),
                  QStringLiteral("m@r"));
        b.inserisci(); // opens the cursor
        QCOMPARE(b.env.desktop.texts(), QStringList{kAggiunta});
        b.env.desktop.clear();

        BloccoScrittura altro(testing_support::fileRubrica());
        QVERIFY(altro.ok());

        b.compila(QStringLiteral("Anna"), QStringLiteral("Bianchi"), QStringLiteral("02"),
                  QStringLiteral("a@b"));
        b.inserisci();
        QCOMPARE(b.env.desktop.texts(), QStringList{kBloccato});
        QCOMPARE(b.env.desktop.boxes.first().caption, QStringLiteral("Errore"));
        QCOMPARE(b.ui->EDTnome->text(), QStringLiteral("Anna"));
        QCOMPARE(b.ui->EDTmail->text(), QStringLiteral("a@b"));
        for (QLineEdit* e : b.edits())
            QVERIFY(b.w->inserito(e));

        altro.rilascia();
        engine::detail::setBusyTimeout(500);
        QCOMPARE(leggiRubricaNumerata().size(), 1);

        // Released, the same edits are stored at the next press.
        b.env.desktop.clear();
        b.inserisci();
        QCOMPARE(b.env.desktop.texts(), QStringList{kAggiunta});
        const auto rubrica = leggiRubricaNumerata();
        QCOMPARE(rubrica.size(), 2);
        QCOMPARE(rubrica[1], (ContattoNumerato{2, {"Bianchi", "Anna", "02", "a@b"}}));
    }

    // The table cannot be opened: the default error report with the engine's text.
    void missingTableReported()
    {
        Banco b(false);
        QVERIFY(b.mostra());
        b.compila(QStringLiteral("Mario"), QStringLiteral("Rossi"), QString(), QString());
        b.inserisci();
        QCOMPARE(b.env.desktop.boxes.size(), 1);
        QCOMPARE(b.env.desktop.boxes.first().caption, platform::applicationTitle());
        QCOMPARE(b.env.desktop.boxes.first().icon, platform::Icon::Critical);
        QVERIFY(!b.env.desktop.boxes.first().text.isEmpty());
        QVERIFY(b.env.desktop.boxes.first().text != kAggiunta);
        QCOMPARE(b.ui->EDTnome->text(), QStringLiteral("Mario"));
    }

    // The created-per-use entry point runs the window modally and destroys it.
    void eseguiRunsModally()
    {
        testing_support::TestEnv env;
        creaRubrica();
        QWidget owner;
        owner.show();
        bool visto = false;
        QTimer poll;
        poll.setInterval(10);
        QElapsedTimer clock;
        clock.start();
        connect(&poll, &QTimer::timeout, [&] {
            auto* frm = qobject_cast<TFrmInserisci*>(QApplication::activeModalWidget());
            if (frm && !visto) {
                visto = true;
                QCOMPARE(frm->parentWidget(), &owner);
                QVERIFY(frm->isModal());
                Controlli(frm).SpeedButton1->click();
            } else if (clock.elapsed() > 5000 && QApplication::activeModalWidget()) {
                QApplication::activeModalWidget()->close();
            }
        });
        poll.start();
        TFrmInserisci::Esegui(&owner);
        poll.stop();
        QVERIFY(visto);
        QVERIFY(owner.findChildren<TFrmInserisci*>().isEmpty());
    }
};

QTEST_MAIN(TstInserisci)
#include "tst_inserisci.moc"
