// The contact edit window over the search window's cursor, driven as a user would.
#include "Controlli.h"
#include "RubricaFixture.h"
#include "TestEnv.h"
#include "contacts/TFrmCanc.h"
#include "contacts/TFrmModifica.h"
#include "engine/DataSet.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QtTest>

using testing_support::BloccoScrittura;
using testing_support::Contatto;
using testing_support::ControlliCanc;
using testing_support::controlliCanc;
using testing_support::creaRubrica;
using testing_support::righeRubrica;
using testing_support::trova;

namespace {

// Types a text key by key, letters outside ASCII included.
void digita(QWidget* w, const QString& testo)
{
    for (QChar c : testo) {
        if (c.unicode() < 0x80)
            QTest::keyClick(w, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key(c.toUpper().unicode()), QString(c),
                                Qt::NoModifier);
    }
}

const QStringList kIniziale = {
    QStringLiteral("1 Mario Rossi 0612 mario@rossi.it"),
    QStringLiteral("2 Marco Bianchi 0613 marco@bianchi.it"),
};

struct ControlliModifica
{
    QLineEdit *EDTnome, *EDTcognome, *EDTnumero, *EDTmail;
    QPushButton *BBmem, *BBannulla;
    QToolButton* SpeedButton1;
};

ControlliModifica controlliModifica(QWidget* w)
{
    return {trova<QLineEdit>(w, "EDTnome"),       trova<QLineEdit>(w, "EDTcognome"),
            trova<QLineEdit>(w, "EDTnumero"),     trova<QLineEdit>(w, "EDTmail"),
            trova<QPushButton>(w, "BBmem"),       trova<QPushButton>(w, "BBannulla"),
            trova<QToolButton>(w, "SpeedButton1")};
}

} // namespace

class TstModifica : public QObject
{
    Q_OBJECT

    std::unique_ptr<testing_support::TestEnv> env;
    std::unique_ptr<TFrmCanc> canc;
    QPointer<TFrmModifica> m;

    ControlliCanc cc{};
    ControlliModifica cm{};
    ControlliModifica& ui() { return cm; }
    engine::Table& tbl() { return canc->TblAllFx(); }
    QString campo(const char* nome)
    {
        return tbl().fieldByName(QString::fromLatin1(nome)).asString();
    }

    // The search window showing every contact, current on the first.
    void apriRicerca()
    {
        creaRubrica({{QStringLiteral("Rossi"), QStringLiteral("Mario"), QStringLiteral("0612"),
                      QStringLiteral("mario@rossi.it")},
                     {QStringLiteral("Bianchi"), QStringLiteral("Marco"), QStringLiteral("0613"),
                      QStringLiteral("marco@bianchi.it")}});
        QCOMPARE(righeRubrica(), kIniziale);
        canc = std::make_unique<TFrmCanc>();
        cc = controlliCanc(canc.get());
        canc->show();
        canc->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(canc.get()));
        canc->BBricercaClick();
        QCOMPARE(tbl().recordCount(), 2);
        QCOMPARE(tbl().recNo(), 1);
    }

    // The edit window opened as "Edita" opens it, without the modal loop.
    void apriModifica()
    {
        m = new TFrmModifica(canc.get());
        cm = controlliModifica(m.data());
        m->show();
        m->activateWindow();
        // A dialog shares activation with its owner: wait until it is the active window.
        QTRY_COMPARE(QApplication::activeWindow(), m.data());
    }

    void entra(QLineEdit* edit)
    {
        edit->setFocus(Qt::TabFocusReason);
        QCOMPARE(m->focusWidget(), edit);
    }

    // The edit window over the first contact, focus in the named edit, emptied (the number
    // edit keeps its value on entry).
    QLineEdit* entraSvuotato(const QString& nome)
    {
        apriRicerca();
        apriModifica();
        auto* e = m->findChild<QLineEdit*>(nome);
        if (!e)
            qFatal("control %s not found", qPrintable(nome));
        entra(e);
        e->clear();
        return e;
    }

    // The first row of the search grid as "Nome Cognome".
    QString primaRigaGriglia()
    {
        QAbstractItemModel* mod = cc.DBGridC->model();
        return mod->index(0, 0).data().toString() + u' ' + mod->index(0, 1).data().toString();
    }

private Q_SLOTS:
    void init() { env = std::make_unique<testing_support::TestEnv>(); }
    void cleanup()
    {
        delete m.data();
        canc.reset();
        env.reset();
    }

    void opensOnTheCurrentRecord()
    {
        apriRicerca();
        apriModifica();
        QCOMPARE(m->windowTitle(), QStringLiteral("Modifica contatto"));
        QCOMPARE(m->size(), QSize(254, 111));
        QCOMPARE(ui().EDTnome->text(), QStringLiteral("Mario"));
        QCOMPARE(ui().EDTcognome->text(), QStringLiteral("Rossi"));
        QCOMPARE(ui().EDTnumero->text(), QStringLiteral("0612"));
        QCOMPARE(ui().EDTmail->text(), QStringLiteral("mario@rossi.it"));
        QCOMPARE(ui().EDTnome->maxLength(), 50);
        QCOMPARE(ui().EDTcognome->maxLength(), 50);
        QCOMPARE(ui().EDTnumero->maxLength(), 20);
        QCOMPARE(ui().EDTmail->maxLength(), 40);
        QCOMPARE(ui().BBmem->text(), QStringLiteral("Modifica"));
        QVERIFY(ui().BBmem->font().bold());
        QCOMPARE(ui().BBannulla->text(), QStringLiteral("Annulla"));
        QCOMPARE(ui().SpeedButton1->text(), QStringLiteral("Esci"));
        QCOMPARE(ui().SpeedButton1->focusPolicy(), Qt::NoFocus);
        QCOMPARE(tbl().state(), engine::DataSet::State::Edit);
        // The buttons come first in the tab order: the window opens with no edit entered.
        QCOMPARE(m->focusWidget(), ui().BBmem);
        QTest::keyClick(m->focusWidget(), Qt::Key_Tab);
        QCOMPARE(m->focusWidget(), ui().BBannulla);
        QTest::keyClick(m->focusWidget(), Qt::Key_Tab);
        QCOMPARE(m->focusWidget(), ui().EDTnome);
        QTest::keyClicks(ui().EDTnome, QStringLiteral("Ugo"));
        QTest::keyClick(m->focusWidget(), Qt::Key_Tab);
        QCOMPARE(m->focusWidget(), ui().EDTcognome);
        QTest::keyClicks(ui().EDTcognome, QStringLiteral("Neri"));
        QTest::keyClick(m->focusWidget(), Qt::Key_Tab);
        QCOMPARE(m->focusWidget(), ui().EDTnumero);
        QTest::keyClick(m->focusWidget(), Qt::Key_Tab);
        QCOMPARE(m->focusWidget(), ui().EDTmail);
        QVERIFY(env->desktop.boxes.isEmpty());
    }

    void modificaAtOnceStoresUnchanged()
    {
        apriRicerca();
        apriModifica();
        QTest::mouseClick(ui().BBmem, Qt::LeftButton);
        QCOMPARE(env->desktop.texts(), QStringList{"Modifica Eseguita"});
        QCOMPARE(env->desktop.boxes.first().caption, QStringLiteral("Messaggio."));
        QVERIFY(!m->isVisible());
        QCOMPARE(tbl().state(), engine::DataSet::State::Browse);
        QCOMPARE(righeRubrica(), kIniziale);
    }

    void clearingOnEntry_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("campo");
        QTest::addColumn<bool>("svuotato");
        QTest::newRow("nome") << "EDTnome"
                              << "Nome" << true;
        QTest::newRow("cognome") << "EDTcognome"
                                 << "Cognome" << true;
        QTest::newRow("numero") << "EDTnumero"
                                << "Numero" << false;
        QTest::newRow("mail") << "EDTmail"
                              << "Mail" << true;
    }
    void clearingOnEntry()
    {
        QFETCH(QString, edit);
        QFETCH(QString, campo);
        QFETCH(bool, svuotato);
        apriRicerca();
        apriModifica();
        const QString prima = tbl().fieldByName(campo).asString();
        auto* e = m->findChild<QLineEdit*>(edit);
        QVERIFY(e);
        entra(e);
        QCOMPARE(tbl().state(), engine::DataSet::State::Edit);
        QCOMPARE(tbl().fieldByName(campo).asString(), svuotato ? QString() : prima);
        QCOMPARE(e->text(), svuotato ? QString() : prima);
        // The other fields are untouched, and nothing is stored yet.
        const QStringList nomi = {"Nome", "Cognome", "Numero", "Mail"};
        const QStringList valori = {"Mario", "Rossi", "0612", "mario@rossi.it"};
        for (int i = 0; i < 4; ++i) {
            if (nomi[i] != campo)
                QCOMPARE(tbl().fieldByName(nomi[i]).asString(), valori[i]);
        }
        QCOMPARE(righeRubrica(), kIniziale);
    }

    void typedValuesAreStoredAndShownAtOnce()
    {
        apriRicerca();
        // A criterion left ticked in the search window is reset when the edit window closes.
        QTest::mouseClick(cc.cbNumero, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::keyClicks(cc.EDTnumero, QStringLiteral("06"));
        apriModifica();
        entra(ui().EDTnome);
        QTest::keyClicks(ui().EDTnome, QStringLiteral("Luigi"));
        QTest::keyClick(ui().EDTnome, Qt::Key_Tab);
        QCOMPARE(m->focusWidget(), ui().EDTcognome);
        QVERIFY(ui().EDTcognome->text().isEmpty());
        QTest::keyClicks(ui().EDTcognome, QStringLiteral("Verdi"));
        QTest::mouseClick(ui().BBmem, Qt::LeftButton);
        QCOMPARE(env->desktop.texts(), QStringList{"Modifica Eseguita"});
        QVERIFY(!m->isVisible());
        QCOMPARE(righeRubrica(), (QStringList{"1 Luigi Verdi 0612 mario@rossi.it", kIniziale[1]}));
        QCOMPARE(primaRigaGriglia(), QStringLiteral("Luigi Verdi"));
        QVERIFY(!cc.cbNumero->isChecked());
        QVERIFY(cc.EDTnumero->text().isEmpty());
        QCOMPARE(cc.LabTrovati->text(),
                 QStringLiteral("Nessun parametro per eseguire la ricerca."));
    }

    void annullaRestoresTheStoredValues()
    {
        apriRicerca();
        apriModifica();
        entra(ui().EDTnome);
        QTest::keyClicks(ui().EDTnome, QStringLiteral("Luigi"));
        QTest::keyClick(ui().EDTnome, Qt::Key_Tab);
        QTest::keyClicks(ui().EDTcognome, QStringLiteral("Verdi"));
        QTest::mouseClick(ui().BBannulla, Qt::LeftButton);
        QVERIFY(m->isVisible());
        QCOMPARE(tbl().state(), engine::DataSet::State::Browse);
        QCOMPARE(ui().EDTnome->text(), QStringLiteral("Mario"));
        QCOMPARE(ui().EDTcognome->text(), QStringLiteral("Rossi"));
        QCOMPARE(primaRigaGriglia(), QStringLiteral("Mario Rossi"));
        QCOMPARE(righeRubrica(), kIniziale);
        QVERIFY(env->desktop.boxes.isEmpty());
        // Entering an edit again puts the record back into editing before clearing.
        entra(ui().EDTmail);
        QCOMPARE(tbl().state(), engine::DataSet::State::Edit);
        QVERIFY(ui().EDTmail->text().isEmpty());
    }

    void keyFilters_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("digitato");
        QTest::addColumn<QString>("atteso");
        QTest::newRow("nome letters only") << "EDTnome"
                                           << "Ab1 'cè-Z"
                                           << "AbcZ";
        QTest::newRow("cognome letters only") << "EDTcognome"
                                              << "De Luca"
                                              << "DeLuca";
        QTest::newRow("numero digits and dash") << "EDTnumero"
                                                << "06-12a+/ 3"
                                                << "06-123";
        QTest::newRow("mail everything") << "EDTmail"
                                         << "a b'è@c-1"
                                         << "a b'è@c-1";
    }
    void keyFilters()
    {
        QFETCH(QString, edit);
        QFETCH(QString, digitato);
        QFETCH(QString, atteso);
        QLineEdit* e = entraSvuotato(edit);
        digita(e, digitato);
        QCOMPARE(e->text(), atteso);
    }

    void noBackspace_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("digitato");
        QTest::addColumn<QString>("atteso");
        QTest::newRow("nome") << "EDTnome"
                              << "Ab"
                              << "Ab";
        QTest::newRow("cognome") << "EDTcognome"
                                 << "Ab"
                                 << "Ab";
        QTest::newRow("numero") << "EDTnumero"
                                << "12"
                                << "12";
        QTest::newRow("mail") << "EDTmail"
                              << "12"
                              << "1";
    }
    void noBackspace()
    {
        QFETCH(QString, edit);
        QFETCH(QString, digitato);
        QFETCH(QString, atteso);
        QLineEdit* e = entraSvuotato(edit);
        QTest::keyClicks(e, digitato);
        QTest::keyClick(e, Qt::Key_Backspace);
        QCOMPARE(e->text(), atteso);
        // Delete is an editing key, not a typed character.
        QTest::keyClick(e, Qt::Key_Home);
        QTest::keyClick(e, Qt::Key_Delete);
        QCOMPARE(e->text(), atteso.mid(1));
    }

    void emptyNameKeepsTheFocusAndEsciDropsIt()
    {
        apriRicerca();
        apriModifica();
        entra(ui().EDTnome);
        QTest::keyClick(ui().EDTnome, Qt::Key_Tab);
        QTRY_COMPARE(m->focusWidget(), ui().EDTnome);
        QVERIFY(env->desktop.boxes.isEmpty());
        // The surname was passed through only by the rule's return: it was not cleared.
        QCOMPARE(campo("Cognome"), QStringLiteral("Rossi"));
        QTest::mouseClick(ui().SpeedButton1, Qt::LeftButton);
        QVERIFY(!m->isVisible());
        QCOMPARE(tbl().state(), engine::DataSet::State::Browse);
        QCOMPARE(righeRubrica(), kIniziale);
        QCOMPARE(primaRigaGriglia(), QStringLiteral("Mario Rossi"));
    }

    void mailRule_data()
    {
        QTest::addColumn<QString>("testo");
        QTest::addColumn<bool>("accettato");
        QTest::newRow("empty") << "" << true;
        QTest::newRow("no at") << "abc" << false;
        QTest::newRow("with at") << "abc@" << true;
        QTest::newRow("lone at") << "@" << true;
    }
    void mailRule()
    {
        QFETCH(QString, testo);
        QFETCH(bool, accettato);
        apriRicerca();
        apriModifica();
        entra(ui().EDTmail);
        QTest::keyClicks(ui().EDTmail, testo);
        QTest::keyClick(ui().EDTmail, Qt::Key_Backtab);
        if (accettato) {
            QCOMPARE(m->focusWidget(), ui().EDTnumero);
            QTest::qWait(0);
            QCOMPARE(m->focusWidget(), ui().EDTnumero);
            QVERIFY(env->desktop.boxes.isEmpty());
        } else {
            QTRY_COMPARE(m->focusWidget(), ui().EDTmail);
            QCOMPARE(env->desktop.texts(), QStringList{"L'indirizzo e-mail non è giusto!"});
            QCOMPARE(env->desktop.boxes.first().caption, QStringLiteral("Errore"));
            // The value stays for correction.
            QCOMPARE(ui().EDTmail->text(), testo);
            QCOMPARE(campo("Mail"), testo);
        }
    }

    void closingDropsPendingChanges_data()
    {
        QTest::addColumn<bool>("esci");
        QTest::newRow("Esci") << true;
        QTest::newRow("window close") << false;
    }
    void closingDropsPendingChanges()
    {
        QFETCH(bool, esci);
        apriRicerca();
        apriModifica();
        entra(ui().EDTnome);
        QTest::keyClicks(ui().EDTnome, QStringLiteral("Luigi"));
        QCOMPARE(campo("Nome"), QStringLiteral("Luigi"));
        if (esci)
            QTest::mouseClick(ui().SpeedButton1, Qt::LeftButton);
        else
            m->close();
        QVERIFY(!m->isVisible());
        QCOMPARE(tbl().state(), engine::DataSet::State::Browse);
        QCOMPARE(campo("Nome"), QStringLiteral("Mario"));
        QCOMPARE(primaRigaGriglia(), QStringLiteral("Mario Rossi"));
        QCOMPARE(righeRubrica(), kIniziale);
        QVERIFY(env->desktop.boxes.isEmpty());
        // The search window can go on: a delete works on the stored record.
        env->desktop.answers = {platform::Answer::Yes};
        canc->BBcancellaClick();
        QCOMPARE(env->desktop.texts(), QStringList{"Sei sicuro di voler eliminare Mario Rossi?"});
        QCOMPARE(righeRubrica(), QStringList{kIniziale[1]});
    }

    void editaOpensTheWindowModally()
    {
        apriRicerca();
        QTest::mouseClick(cc.cbCognome, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::keyClicks(cc.EDTcognome, QStringLiteral("Bianchi"));
        QTest::mouseClick(cc.BBricerca, Qt::LeftButton);
        QCOMPARE(cc.LabTrovati->text(), QStringLiteral("Trovati : 1 contatti!"));
        QTest::mouseClick(cc.cbNome, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(cc.cbNome->isChecked());
        env->desktop.answers = {platform::Answer::Yes};

        // Drives the modal loop: types a new name and stores it; gives up at a deadline.
        QStringList visto;
        QElapsedTimer orologio;
        orologio.start();
        QTimer timer;
        timer.setInterval(20);
        connect(&timer, &QTimer::timeout, this, [&] {
            QWidget* modale = QApplication::activeModalWidget();
            auto* finestra = qobject_cast<TFrmModifica*>(modale);
            if (finestra && visto.isEmpty()) {
                const ControlliModifica f = controlliModifica(finestra);
                visto << f.EDTnome->text() << f.EDTcognome->text();
                f.EDTnome->setFocus(Qt::TabFocusReason);
                QTest::keyClicks(f.EDTnome, QStringLiteral("Anna"));
                f.BBmem->click();
            } else if (modale && orologio.elapsed() > 5000) {
                qobject_cast<QDialog*>(modale)->reject();
            }
        });
        timer.start();
        QTest::mouseClick(cc.BBedita, Qt::LeftButton);
        timer.stop();

        QCOMPARE(visto, (QStringList{"Marco", "Bianchi"}));
        QCOMPARE(env->desktop.texts(), (QStringList{"Sei sicuro di voler modificare Marco Bianchi?",
                                                    "Modifica Eseguita"}));
        QCOMPARE(righeRubrica(),
                 (QStringList{kIniziale[0], "2 Anna Bianchi 0613 marco@bianchi.it"}));
        QCOMPARE(primaRigaGriglia(), QStringLiteral("Anna Bianchi"));
        QVERIFY(canc->findChildren<TFrmModifica*>().isEmpty());
        // Back in the search window: criteria reset, count of the last search kept.
        QVERIFY(!cc.cbNome->isChecked());
        QVERIFY(!cc.cbCognome->isChecked());
        QVERIFY(cc.EDTcognome->text().isEmpty());
        QCOMPARE(cc.LabTrovati->text(), QStringLiteral("Trovati : 1 contatti!"));
        QVERIFY(cc.BBedita->isEnabled());
        QVERIFY(canc->TblAllFx().active());
    }

    void storedRecordLeavingTheSelection()
    {
        apriRicerca();
        QTest::mouseClick(cc.cbNome, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::keyClicks(cc.EDTnome, QStringLiteral("Mario"));
        QTest::mouseClick(cc.BBricerca, Qt::LeftButton);
        QCOMPARE(cc.DBGridC->model()->rowCount(), 1);
        apriModifica();
        entra(ui().EDTnome);
        QTest::keyClicks(ui().EDTnome, QStringLiteral("Luigi"));
        QTest::mouseClick(ui().BBmem, Qt::LeftButton);
        QVERIFY(!m->isVisible());
        // The grid shows the stored change at once: the contact no longer matches the search.
        QCOMPARE(cc.DBGridC->model()->rowCount(), 0);
        QCOMPARE(righeRubrica(), (QStringList{"1 Luigi Rossi 0612 mario@rossi.it", kIniziale[1]}));
        QCOMPARE(cc.LabTrovati->text(), QStringLiteral("Trovati : 1 contatti!"));
        QVERIFY(!cc.BBedita->isEnabled());
        QVERIFY(!cc.BBcancella->isEnabled());
    }

    void storeFailsWhileTheTableIsHeld()
    {
        apriRicerca();
        apriModifica();
        entra(ui().EDTnome);
        QTest::keyClicks(ui().EDTnome, QStringLiteral("Luigi"));
        BloccoScrittura blocco(env->file(QStringLiteral("Rubry.Db")));
        QVERIFY(blocco.ok());
        QTest::mouseClick(ui().BBmem, Qt::LeftButton);
        QCOMPARE(
            env->desktop.texts(),
            QStringList{"Impossibile eseguire la modifica, l'accesso all'archivio è bloccato!"});
        QCOMPARE(env->desktop.boxes.first().caption, QStringLiteral("Errore"));
        // The window stays open with the record still in editing, to try again or cancel.
        QVERIFY(m->isVisible());
        QCOMPARE(tbl().state(), engine::DataSet::State::Edit);
        QCOMPARE(ui().EDTnome->text(), QStringLiteral("Luigi"));
        blocco.rilascia();
        QCOMPARE(righeRubrica(), kIniziale);
        QTest::mouseClick(ui().BBmem, Qt::LeftButton);
        QCOMPARE(env->desktop.texts().last(), QStringLiteral("Modifica Eseguita"));
        QVERIFY(!m->isVisible());
        QCOMPARE(righeRubrica(), (QStringList{"1 Luigi Rossi 0612 mario@rossi.it", kIniziale[1]}));
    }

    void emptySelectionStartsNoNewRecord()
    {
        apriRicerca();
        QTest::mouseClick(cc.cbCognome, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::keyClicks(cc.EDTcognome, QStringLiteral("Nessuno"));
        canc->BBricercaClick();
        QCOMPARE(tbl().recordCount(), 0);
        apriModifica();
        QCOMPARE(tbl().state(), engine::DataSet::State::Browse);
        entra(ui().EDTnome);
        QCOMPARE(tbl().state(), engine::DataSet::State::Browse);
        QTest::keyClicks(ui().EDTnome, QStringLiteral("Nuovo"));
        QCOMPARE(tbl().state(), engine::DataSet::State::Browse);
        QTest::mouseClick(ui().BBmem, Qt::LeftButton);
        QCOMPARE(righeRubrica(), kIniziale);
    }
};

QTEST_MAIN(TstModifica)
#include "tst_modifica.moc"
