// The search window driven as a user would: criteria, search, count, delete, mail.
#include "Controlli.h"
#include "RubricaFixture.h"
#include "TestEnv.h"
#include "contacts/TFrmCanc.h"
#include "engine/DataSet.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QUrlQuery>
#include <QtTest>

using testing_support::BloccoScrittura;
using testing_support::Contatto;
using testing_support::ControlliCanc;
using testing_support::controlliCanc;
using testing_support::creaRubrica;
using testing_support::righeRubrica;

namespace {

const QList<Contatto> kFixture = {
    {QStringLiteral("Rossi"), QStringLiteral("Mario"), QStringLiteral("0612"),
     QStringLiteral("mario@rossi.it")},
    {QStringLiteral("Bianchi"), QStringLiteral("Marco"), QStringLiteral("0613"),
     QStringLiteral("")},
    {QStringLiteral("Verdi"), QStringLiteral("mario"), QStringLiteral("0612"),
     QStringLiteral("m&v@verdi.it")},
    {QStringLiteral("D'Amico"), QStringLiteral("Lucia"), QStringLiteral("0700"),
     QStringLiteral("lucia@x.it")},
    {QStringLiteral("Neri"), QStringLiteral("*"), QStringLiteral("0800"), QStringLiteral("")},
    {QStringLiteral("Rossi"), QStringLiteral("Mara"), QStringLiteral("0612"),
     QStringLiteral("mara#1@rossi.it")},
};

} // namespace

class TstCanc : public QObject
{
    Q_OBJECT

    std::unique_ptr<testing_support::TestEnv> env;
    std::unique_ptr<TFrmCanc> w;

    ControlliCanc c{};
    ControlliCanc& ui() { return c; }

    void mostra()
    {
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
    }

    // A fresh table holding the contacts, and the window shown over it.
    void apri(const QList<Contatto>& contatti = kFixture)
    {
        creaRubrica(contatti);
        w = std::make_unique<TFrmCanc>();
        c = controlliCanc(w.get());
        mostra();
    }

    // Ticks a criterion the way the user does (its edit becomes enabled) and types the value.
    void criterio(QCheckBox* box, QLineEdit* edit, const QString& valore)
    {
        if (valore.isNull())
            return;
        if (!box->isChecked())
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
        QVERIFY(box->isChecked());
        QVERIFY(edit->isEnabled());
        QTest::keyClicks(edit, valore);
        QCOMPARE(edit->text(), valore);
    }

    void cerca(const QString& nome, const QString& cognome, const QString& numero,
               const QString& mail)
    {
        criterio(ui().cbNome, ui().EDTnome, nome);
        criterio(ui().cbCognome, ui().EDTcognome, cognome);
        criterio(ui().cbNumero, ui().EDTnumero, numero);
        criterio(ui().cbMail, ui().EDTmail, mail);
        QTest::mouseClick(ui().BBricerca, Qt::LeftButton);
    }

    // The grid's rows as "Nome Cognome".
    QStringList griglia()
    {
        QAbstractItemModel* m = ui().DBGridC->model();
        QStringList righe;
        for (int r = 0; r < m->rowCount(); ++r)
            righe << m->index(r, 0).data().toString() + u' ' + m->index(r, 1).data().toString();
        return righe;
    }

private Q_SLOTS:
    void init() { env = std::make_unique<testing_support::TestEnv>(); }
    void cleanup()
    {
        w.reset();
        env.reset();
    }

    void creatableBeforeTheTableExists()
    {
        QVERIFY(!QFile::exists(env->file(QStringLiteral("Rubry.Db"))));
        w = std::make_unique<TFrmCanc>();
        c = controlliCanc(w.get());
        QVERIFY(!w->TblAllFx().active());
        QCOMPARE(w->windowTitle(), QStringLiteral("Modalità editazione e cancellazione"));
        QCOMPARE(w->objectName(), QStringLiteral("FrmCanc"));
        QCOMPARE(w->size(), QSize(419, 352));
        QCOMPARE(ui().DBGridC->height(), 196);
        QCOMPARE(ui().DBGridC->geometry().bottom(), w->height() - 1);
        QCOMPARE(ui().Label1->text(), QStringLiteral("Ricerca per parametri:"));
        QVERIFY(ui().Label1->font().bold());
        QCOMPARE(ui().cbNome->text(), QStringLiteral("per nome"));
        QCOMPARE(ui().cbCognome->text(), QStringLiteral("per cognome"));
        QCOMPARE(ui().cbNumero->text(), QStringLiteral("per numero"));
        QCOMPARE(ui().cbMail->text(), QStringLiteral("per e-mail"));
        QVERIFY(ui().cbNome->isChecked());
        QVERIFY(ui().EDTnome->isEnabled());
        QCOMPARE(ui().EDTnome->maxLength(), 40);
        QVERIFY(!ui().EDTcognome->isEnabled());
        QVERIFY(!ui().EDTnumero->isEnabled());
        QVERIFY(!ui().EDTmail->isEnabled());
        QCOMPARE(ui().BBricerca->text(), QStringLiteral("Avvia ricerca"));
        QCOMPARE(ui().LabTrovati->text(), QStringLiteral("Trovati:"));
        QVERIFY(ui().LabTrovati->font().bold());
        QCOMPARE(ui().BBedita->text(), QStringLiteral("Edita"));
        QVERIFY(ui().BBedita->font().bold());
        QCOMPARE(ui().BBcancella->text(), QStringLiteral("Cancella"));
        QVERIFY(ui().BBcancella->font().bold());
        QCOMPARE(ui().BUTIMMback->text(), QStringLiteral("Esci"));
        QCOMPARE(ui().BUTIMMback->focusPolicy(), Qt::NoFocus);
        QCOMPARE(ui().GroupBox1->title(), QStringLiteral("Opzioni di invio"));
        QCOMPARE(ui().btInvia->text(), QStringLiteral("Invia e-mail"));
        QCOMPARE(ui().cbNascondi->text(), QStringLiteral("Nacondi destinatari"));
        QVERIFY(!ui().cbNascondi->isChecked());
        QCOMPARE(ui().DBGridC->editTriggers(), QAbstractItemView::NoEditTriggers);
        // Criteria rows from the top: name, surname, number, e-mail; box left of its edit.
        QVERIFY(ui().cbNome->y() < ui().cbCognome->y());
        QVERIFY(ui().cbCognome->y() < ui().cbNumero->y());
        QVERIFY(ui().cbNumero->y() < ui().cbMail->y());
        QVERIFY(ui().cbNome->geometry().right() < ui().EDTnome->x());
    }

    void gridColumns()
    {
        apri();
        QAbstractItemModel* m = ui().DBGridC->model();
        QCOMPARE(m->columnCount(), 4);
        const QStringList titoli = {QStringLiteral("Nome"), QStringLiteral("Cognome"),
                                    QStringLiteral("Numero"), QStringLiteral("Mail")};
        const int larghezze[] = {80, 100, 80, 100};
        for (int c = 0; c < 4; ++c) {
            QCOMPARE(m->headerData(c, Qt::Horizontal).toString(), titoli[c]);
            QCOMPARE(ui().DBGridC->columnWidth(c), larghezze[c]);
        }
        QCOMPARE(m->rowCount(), kFixture.size());
        QCOMPARE(m->index(0, 0).data().toString(), QStringLiteral("Mario"));
        QCOMPARE(m->index(0, 3).data().toString(), QStringLiteral("mario@rossi.it"));
    }

    void activationResetsCriteria()
    {
        apri();
        QVERIFY(w->TblAllFx().active());
        for (QCheckBox* box : {ui().cbNome, ui().cbCognome, ui().cbNumero, ui().cbMail})
            QVERIFY(!box->isChecked());
        for (QLineEdit* edit : {ui().EDTnome, ui().EDTcognome, ui().EDTnumero, ui().EDTmail}) {
            QVERIFY(!edit->isEnabled());
            QVERIFY(edit->text().isEmpty());
        }
        QVERIFY(ui().BBedita->isEnabled());
        QVERIFY(ui().BBcancella->isEnabled());
        // A message box closing is no activation: ticked criteria stay.
        QTest::mouseClick(ui().cbCognome, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::keyClicks(ui().EDTcognome, QStringLiteral("Rossi"));
        ui().BBcancella->click(); // question answered No by the recording desktop
        QCOMPARE(env->desktop.boxes.size(), 1);
        QVERIFY(ui().cbCognome->isChecked());
        QCOMPARE(ui().EDTcognome->text(), QStringLiteral("Rossi"));
    }

    void emptyTableDisablesButtons()
    {
        apri({});
        QVERIFY(!ui().BBedita->isEnabled());
        QVERIFY(!ui().BBcancella->isEnabled());
    }

    void search_data()
    {
        QTest::addColumn<QString>("nome");
        QTest::addColumn<QString>("cognome");
        QTest::addColumn<QString>("numero");
        QTest::addColumn<QString>("mail");
        QTest::addColumn<QStringList>("trovati");

        const QString no; // criterion not ticked
        QTest::newRow("exact name") << "Mario" << no << no << no << QStringList{"Mario Rossi"};
        QTest::newRow("case sensitive") << "mario" << no << no << no << QStringList{"mario Verdi"};
        QTest::newRow("no match") << "MARIO" << no << no << no << QStringList{};
        QTest::newRow("prefix") << "Mar*" << no << no << no
                                << QStringList{"Mario Rossi", "Marco Bianchi", "Mara Rossi"};
        QTest::newRow("prefix is case sensitive")
            << "mar*" << no << no << no << QStringList{"mario Verdi"};
        QTest::newRow("lone asterisk is literal") << "*" << no << no << no << QStringList{"* Neri"};
        QTest::newRow("name is not a prefix") << "Mari" << no << no << no << QStringList{};
        QTest::newRow("surname and number")
            << no << "Rossi"
            << "0612" << no << QStringList{"Mario Rossi", "Mara Rossi"};
        QTest::newRow("name and number")
            << "Mario" << no << "0612" << no << QStringList{"Mario Rossi"};
        QTest::newRow("all four") << "Mara"
                                  << "Rossi"
                                  << "0612"
                                  << "mara#1@rossi.it" << QStringList{"Mara Rossi"};
        QTest::newRow("combined, none") << "Mario"
                                        << "Verdi" << no << no << QStringList{};
        QTest::newRow("apostrophe") << no << "D'Amico" << no << no << QStringList{"Lucia D'Amico"};
        QTest::newRow("apostrophe prefix")
            << no << "D'*" << no << no << QStringList{"Lucia D'Amico"};
        QTest::newRow("mail with ampersand")
            << no << no << no << "m&v@verdi.it" << QStringList{"mario Verdi"};
        QTest::newRow("injection attempt") << no << "x' or 'a' = 'a" << no << no << QStringList{};
    }
    void search()
    {
        QFETCH(QString, nome);
        QFETCH(QString, cognome);
        QFETCH(QString, numero);
        QFETCH(QString, mail);
        QFETCH(QStringList, trovati);

        apri();
        cerca(nome, cognome, numero, mail);
        QVERIFY2(env->desktop.boxes.isEmpty(), qPrintable(env->desktop.texts().join(u'|')));
        QCOMPARE(griglia(), trovati);
        QCOMPARE(w->TblAllFx().recordCount(), trovati.size());
        QCOMPARE(ui().LabTrovati->text(),
                 QStringLiteral("Trovati : %1 contatti!").arg(trovati.size()));
        QCOMPARE(ui().BBedita->isEnabled(), !trovati.isEmpty());
        QCOMPARE(ui().BBcancella->isEnabled(), !trovati.isEmpty());
        // The ticked criteria and their values stay for the next search.
        if (!nome.isNull())
            QCOMPARE(ui().EDTnome->text(), nome);
        QCOMPARE(righeRubrica().size(), kFixture.size());
    }

    void noCriterionSelectsEveryContact()
    {
        apri();
        cerca(QStringLiteral("Mario"), {}, {}, {});
        QCOMPARE(griglia().size(), 1);
        // A ticked box with an empty edit drops out.
        QTest::mouseClick(ui().cbNome, Qt::LeftButton, {}, QPoint(5, 5)); // untick
        QTest::mouseClick(ui().cbMail, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(ui().cbMail->isChecked());
        QTest::mouseClick(ui().BBricerca, Qt::LeftButton);
        QVERIFY(!ui().cbMail->isChecked());
        QVERIFY(!ui().EDTmail->isEnabled());
        QCOMPARE(ui().LabTrovati->text(),
                 QStringLiteral("Nessun parametro per eseguire la ricerca."));
        QCOMPARE(griglia().size(), kFixture.size());
        QCOMPARE(w->TblAllFx().recordCount(), kFixture.size());
        QVERIFY(ui().BBedita->isEnabled());
    }

    void tickClearsAndDisables()
    {
        apri();
        QTest::mouseClick(ui().cbNumero, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::keyClicks(ui().EDTnumero, QStringLiteral("0612"));
        QTest::mouseClick(ui().cbNumero, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(!ui().EDTnumero->isEnabled());
        QVERIFY(ui().EDTnumero->text().isEmpty());
        QTest::mouseClick(ui().cbNumero, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(ui().EDTnumero->isEnabled());
        QVERIFY(ui().EDTnumero->text().isEmpty());
    }

    void deleteContact_data()
    {
        QTest::addColumn<bool>("si");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void deleteContact()
    {
        QFETCH(bool, si);
        apri();
        const QStringList prima = righeRubrica();
        cerca({}, QStringLiteral("Rossi"), {}, {});
        QCOMPARE(griglia(), (QStringList{"Mario Rossi", "Mara Rossi"}));
        // The user picks the second row.
        ui().DBGridC->setCurrentIndex(ui().DBGridC->model()->index(1, 0));
        QCOMPARE(w->TblAllFx().fieldByName(QStringLiteral("Nome")).asString(),
                 QStringLiteral("Mara"));
        env->desktop.answers = {si ? platform::Answer::Yes : platform::Answer::No};
        QTest::mouseClick(ui().BBcancella, Qt::LeftButton);
        QCOMPARE(env->desktop.boxes.size(), 1);
        const platform::MessageBox atteso{
            QStringLiteral("Attenzione!"),
            QStringLiteral("Sei sicuro di voler eliminare Mara Rossi?"), platform::Icon::Warning,
            platform::Buttons::YesNo};
        QCOMPARE(env->desktop.boxes.first(), atteso);
        QStringList dopo = prima;
        if (si)
            dopo.removeAt(5); // the other contacts keep their NumID
        QCOMPARE(righeRubrica(), dopo);
        QCOMPARE(griglia(),
                 si ? QStringList{"Mario Rossi"} : (QStringList{"Mario Rossi", "Mara Rossi"}));
        QCOMPARE(ui().LabTrovati->text(), QStringLiteral("Trovati : 2 contatti!"));
        QVERIFY(ui().BBedita->isEnabled());
        QVERIFY(ui().BBcancella->isEnabled());
    }

    void deleteFailsWhileTheTableIsHeld()
    {
        apri();
        const QStringList prima = righeRubrica();
        cerca({}, QStringLiteral("Rossi"), {}, {});
        BloccoScrittura blocco(env->file(QStringLiteral("Rubry.Db")));
        QVERIFY(blocco.ok());
        env->desktop.answers = {platform::Answer::Yes};
        QTest::mouseClick(ui().BBcancella, Qt::LeftButton);
        QCOMPARE(env->desktop.texts(),
                 (QStringList{"Sei sicuro di voler eliminare Mario Rossi?",
                              "Impossibile eseguire la cancellazione, l'accesso all'archivio è "
                              "bloccato!"}));
        QCOMPARE(env->desktop.boxes.last().caption, QStringLiteral("Errore"));
        blocco.rilascia();
        QCOMPARE(righeRubrica(), prima);
        QCOMPARE(griglia(), (QStringList{"Mario Rossi", "Mara Rossi"}));
        QVERIFY(ui().BBcancella->isEnabled());
        // Once the table is free again the same delete goes through.
        env->desktop.answers = {platform::Answer::Yes};
        QTest::mouseClick(ui().BBcancella, Qt::LeftButton);
        QCOMPARE(righeRubrica().size(), prima.size() - 1);
    }

    void editQuestion()
    {
        apri();
        cerca(QStringLiteral("Lucia"), {}, {}, {});
        QTest::mouseClick(ui().BBedita, Qt::LeftButton); // answered No
        QCOMPARE(env->desktop.boxes.size(), 1);
        const platform::MessageBox atteso{
            QStringLiteral("Attenzione!"),
            QStringLiteral("Sei sicuro di voler modificare Lucia D'Amico?"),
            platform::Icon::Warning, platform::Buttons::YesNo};
        QCOMPARE(env->desktop.boxes.first(), atteso);
        QCOMPARE(w->TblAllFx().state(), engine::DataSet::State::Browse);
        QVERIFY(w->findChildren<QDialog*>().isEmpty());
    }

    void buttonsFollowAnEmptiedSelection()
    {
        apri();
        const QStringList prima = righeRubrica();
        cerca(QStringLiteral("Lucia"), {}, {}, {});
        env->desktop.answers = {platform::Answer::Yes};
        QTest::mouseClick(ui().BBcancella, Qt::LeftButton);
        QCOMPARE(righeRubrica().size(), prima.size() - 1);
        QVERIFY(griglia().isEmpty());
        // The count keeps the number of the last search ...
        QCOMPARE(ui().LabTrovati->text(), QStringLiteral("Trovati : 1 contatti!"));
        // ... while the buttons follow the selection, which is now empty.
        QVERIFY(!ui().BBedita->isEnabled());
        QVERIFY(!ui().BBcancella->isEnabled());
        // Even when reached directly, neither asks about a contact that is gone nor begins
        // a new blank record.
        env->desktop.clear();
        env->desktop.answers = {platform::Answer::Yes, platform::Answer::Yes};
        w->BBcancellaClick();
        w->BBeditaClick();
        QVERIFY(env->desktop.boxes.isEmpty());
        QCOMPARE(w->TblAllFx().state(), engine::DataSet::State::Browse);
        QCOMPARE(righeRubrica().size(), prima.size() - 1);
    }

    void deleteLeavesCursorOnNextRecord()
    {
        apri();
        cerca(QStringLiteral("Mar*"), {}, {}, {});
        ui().DBGridC->setCurrentIndex(ui().DBGridC->model()->index(0, 0));
        env->desktop.answers = {platform::Answer::Yes};
        ui().BBcancella->click();
        QCOMPARE(griglia(), (QStringList{"Marco Bianchi", "Mara Rossi"}));
        const QString corrente = w->TblAllFx().fieldByName(QStringLiteral("Nome")).asString();
        QCOMPARE(corrente, QStringLiteral("Marco"));
        QCOMPARE(ui().DBGridC->currentIndex().row(), w->TblAllFx().recNo() - 1);
        QCOMPARE(ui().DBGridC->currentIndex().data().toString(), corrente);
    }

    void mail_data()
    {
        QTest::addColumn<QString>("cognome");
        QTest::addColumn<bool>("nascondi");
        QTest::addColumn<QStringList>("indirizzi");
        QTest::addColumn<QString>("testo");

        const QString coda = QStringLiteral("&subject=Inserire qui titolo&body=Inserire qui testo");
        const QStringList rossiBianchiVerdi = {"mario@rossi.it", "", "m&v@verdi.it"};
        QTest::newRow("not hidden")
            << "R*" << false << QStringList{"mario@rossi.it", "mara#1@rossi.it"}
            << "mailto:mario@rossi.it;mara#1@rossi.it?bcc=" + coda;
        QTest::newRow("hidden") << "R*" << true << QStringList{"mario@rossi.it", "mara#1@rossi.it"}
                                << "mailto:?bcc=mario@rossi.it;mara#1@rossi.it" + coda;
        QTest::newRow("three, second empty") << "" << false << rossiBianchiVerdi
                                             << "mailto:mario@rossi.it;;m&v@verdi.it?bcc=" + coda;
        QTest::newRow("three, second empty, hidden")
            << "" << true << rossiBianchiVerdi << "mailto:?bcc=mario@rossi.it;;m&v@verdi.it" + coda;
        QTest::newRow("empty selection")
            << "Nessuno" << false << QStringList{} << "mailto:?bcc=" + coda;
        QTest::newRow("empty selection, hidden")
            << "Nessuno" << true << QStringList{} << "mailto:?bcc=" + coda;
    }
    void mail()
    {
        QFETCH(QString, cognome);
        QFETCH(bool, nascondi);
        QFETCH(QStringList, indirizzi);
        QFETCH(QString, testo);

        // The selection "three, second empty" is Rossi, Bianchi, Verdi in stored order.
        apri(cognome.isEmpty() ? QList<Contatto>{kFixture[0], kFixture[1], kFixture[2]} : kFixture);
        if (!cognome.isEmpty())
            cerca({}, cognome, {}, {});
        else
            QTest::mouseClick(ui().BBricerca, Qt::LeftButton);
        QCOMPARE(w->TblAllFx().recordCount(), indirizzi.size());
        if (w->TblAllFx().recordCount() > 1)
            ui().DBGridC->setCurrentIndex(ui().DBGridC->model()->index(1, 0));
        const int corrente = w->TblAllFx().recNo();
        if (nascondi)
            QTest::mouseClick(ui().cbNascondi, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(ui().cbNascondi->isChecked(), nascondi);
        QTest::mouseClick(ui().btInvia, Qt::LeftButton);

        QCOMPARE(TFrmCanc::ComponiMailSelezione(indirizzi, nascondi), testo);
        QCOMPARE(env->desktop.urls.size(), 1);
        const QUrl url = env->desktop.urls.first();
        QVERIFY(url.isValid());
        QCOMPARE(url.scheme(), QStringLiteral("mailto"));
        QCOMPARE(QUrl::fromPercentEncoding(url.toEncoded()), testo);
        // Every address arrives whole, where the composed text puts it.
        const QUrlQuery query(url);
        const QString lista = indirizzi.join(u';');
        QCOMPARE(url.path(QUrl::FullyDecoded), nascondi ? QString() : lista);
        QCOMPARE(query.queryItemValue(QStringLiteral("bcc"), QUrl::FullyDecoded),
                 nascondi ? lista : QString());
        QCOMPARE(query.queryItemValue(QStringLiteral("subject"), QUrl::FullyDecoded),
                 QStringLiteral("Inserire qui titolo"));
        QCOMPARE(query.queryItemValue(QStringLiteral("body"), QUrl::FullyDecoded),
                 QStringLiteral("Inserire qui testo"));
        QCOMPARE(query.queryItems().size(), 3);
        QVERIFY(!url.hasFragment());
        // The current contact stays where it was.
        QCOMPARE(w->TblAllFx().recNo(), corrente);
        QVERIFY(env->desktop.boxes.isEmpty());
    }

    void mailProgramMissing()
    {
        apri();
        QTest::mouseClick(ui().BBricerca, Qt::LeftButton);
        env->desktop.openUrlResult = false; // no program takes mailto addresses
        QTest::mouseClick(ui().btInvia, Qt::LeftButton);
        QCOMPARE(env->desktop.urls.size(), 1);
        QCOMPARE(env->desktop.texts().last(),
                 QStringLiteral("Errore in inizializzazione software esterno predefinito per "
                                "l'invio delle email."));
        QCOMPARE(env->desktop.boxes.last().caption, QStringLiteral("Errore"));
    }

    void esciClearsTheSelection()
    {
        apri();
        cerca(QStringLiteral("Mario"), {}, {}, {});
        QCOMPARE(griglia().size(), 1);
        QTest::mouseClick(ui().BUTIMMback, Qt::LeftButton);
        QVERIFY(!w->isVisible());
        QVERIFY(!w->TblAllFx().active());
        QCOMPARE(ui().LabTrovati->text(), QStringLiteral("Trovati:"));
        mostra();
        QCOMPARE(griglia().size(), kFixture.size());
        QCOMPARE(ui().LabTrovati->text(), QStringLiteral("Trovati:"));
    }

    void closeKeepsTheSelection()
    {
        apri();
        cerca(QStringLiteral("Mar*"), {}, {}, {});
        QCOMPARE(griglia().size(), 3);
        w->close();
        QVERIFY(!w->isVisible());
        QVERIFY(!w->TblAllFx().active());
        mostra();
        QCOMPARE(griglia(), (QStringList{"Mario Rossi", "Marco Bianchi", "Mara Rossi"}));
        QCOMPARE(ui().LabTrovati->text(), QStringLiteral("Trovati : 3 contatti!"));
        QVERIFY(!ui().cbNome->isChecked());
        QVERIFY(ui().EDTnome->text().isEmpty());
    }

    void reopeningSeesContactsAddedMeanwhile()
    {
        apri({});
        QVERIFY(!ui().BBedita->isEnabled());
        w->close();
        {
            engine::Table t(QStringLiteral("Rubry.Db"));
            t.open();
            t.insertRecord({QVariant(), QStringLiteral("Rossi"), QStringLiteral("Mario"),
                            QStringLiteral("06"), QString()});
        }
        mostra();
        QCOMPARE(griglia(), QStringList{"Mario Rossi"});
        QVERIFY(ui().BBedita->isEnabled());
        QVERIFY(ui().BBcancella->isEnabled());
    }
};

QTEST_MAIN(TstCanc)
#include "tst_canc.moc"
