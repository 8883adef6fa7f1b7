// The browse window over an empty table, one contact and several: the cards, the arrows,
// the order choices and the mail to the shown contact.
#include "Controlli.h"
#include "RubricaFixture.h"
#include "TestEnv.h"
#include "contacts/TFrmVisSel.h"
#include "engine/DataSet.h"
#include "platform/Desktop.h"
#include "shell/Fx.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QtTest>

using testing_support::Contatto;
using testing_support::creaRubrica;
using testing_support::trova;

namespace {

const QString kOggetto = QStringLiteral("Invio mail tramite Zentor_Rubrica");

// The contacts of the several-contacts table, numbered 1.. in this order.
const QList<Contatto> kParecchi = {
    {"Verdi", "Luca", "333", "luca@v.it"},
    {"Bianchi", "Anna", "06", "anna@b.it"},
    {"Rossi", "Carla", "", ""},
    {"Abate", "Marco", "02", "m@a.it"},
};

struct Banco
{
    testing_support::TestEnv env;
    std::unique_ptr<TFrmVisSel> w;
    QLabel *PANid, *PANnum, *LabMail;
    QLineEdit *EDTnome, *EDTcognome;
    QToolButton *BTSback, *BTSnext;
    QPushButton* BTMann;
    QGroupBox* rgOrdina;
    QRadioButton *perNome, *perCognome;

    // tabella: 0 none, 1 empty, 2 one contact, 3 several
    explicit Banco(int tabella)
    {
        if (tabella == 1)
            creaRubrica({});
        else if (tabella == 2)
            creaRubrica({{"Rossi", "Mario", "0612", "mario@rossi.it"}});
        else if (tabella == 3)
            creaRubrica(kParecchi);
        w = std::make_unique<TFrmVisSel>();
        PANid = trova<QLabel>(w.get(), "PANid");
        PANnum = trova<QLabel>(w.get(), "PANnum");
        LabMail = trova<QLabel>(w.get(), "LabMail");
        EDTnome = trova<QLineEdit>(w.get(), "EDTnome");
        EDTcognome = trova<QLineEdit>(w.get(), "EDTcognome");
        BTSback = trova<QToolButton>(w.get(), "BTSback");
        BTSnext = trova<QToolButton>(w.get(), "BTSnext");
        BTMann = trova<QPushButton>(w.get(), "BTMann");
        rgOrdina = trova<QGroupBox>(w.get(), "rgOrdina");
        const auto radio = rgOrdina->findChildren<QRadioButton*>();
        perNome = perCognome = nullptr;
        for (QRadioButton* r : radio) {
            if (r->text() == QStringLiteral("Ordina per nome"))
                perNome = r;
            else if (r->text() == QStringLiteral("Ordina per cognome"))
                perCognome = r;
        }
        if (!perNome || !perCognome)
            qFatal("order choices missing");
    }
    bool mostra()
    {
        w->show();
        w->activateWindow();
        return QTest::qWaitForWindowActive(w.get());
    }
    // The shown card as "NumID Nome Cognome Numero Mail".
    QString scheda() const
    {
        return QStringList{PANid->text(), EDTnome->text(), EDTcognome->text(), PANnum->text(),
                           LabMail->text()}
            .join(u'|');
    }
    void ordina(int ordine)
    {
        if (ordine == 0)
            QTest::mouseClick(perNome, Qt::LeftButton);
        else if (ordine == 1)
            QTest::mouseClick(perCognome, Qt::LeftButton);
    }
    void avanti() { QTest::mouseClick(BTSnext, Qt::LeftButton); }
    void indietro() { QTest::mouseClick(BTSback, Qt::LeftButton); }
    void clickMail() { QTest::mouseClick(LabMail, Qt::LeftButton); }
    QString ultimaMail() const
    {
        return env.desktop.urls.isEmpty()
                   ? QString()
                   : QUrl::fromPercentEncoding(env.desktop.urls.last().toEncoded());
    }
};

QString scheda(int numId)
{
    const Contatto& v = kParecchi[numId - 1];
    return QStringList{QString::number(numId), v.nome, v.cognome, v.numero, v.mail}.join(u'|');
}

} // namespace

class TstVisSel : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void controlsBeforeOpening()
    {
        Banco b(1);
        QCOMPARE(b.w->windowTitle(), QStringLiteral("Modalità visualizza selezione"));
        QCOMPARE(b.w->size(), QSize(308, 199));
        QCOMPARE(b.PANid->text(), QString());
        QCOMPARE(b.PANnum->text(), QStringLiteral("Numero"));
        QCOMPARE(b.LabMail->text(), QStringLiteral(ZR_MAKER_SUPPORT));
        QVERIFY(b.LabMail->font().underline());
        QCOMPARE(b.LabMail->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(b.EDTnome->isReadOnly());
        QVERIFY(b.EDTcognome->isReadOnly());
        QVERIFY(!b.BTSback->isEnabled());
        QVERIFY(b.BTSnext->isEnabled());
        QCOMPARE(b.BTSback->toolTip(), QStringLiteral("Precedente"));
        QCOMPARE(b.BTSnext->toolTip(), QStringLiteral("Successivo"));
        QCOMPARE(b.BTSback->size(), QSize(25, 25));
        QCOMPARE(b.BTMann->text(), QStringLiteral("Esci"));
        QCOMPARE(b.PANid->size(), QSize(34, 21));
        QCOMPARE(b.PANnum->size(), QSize(113, 17));
        QVERIFY(!b.perNome->isChecked());
        QVERIFY(!b.perCognome->isChecked());
        QCOMPARE(b.w->ordine(), -1);
        QCOMPARE(b.w->queryRead()->sql(), QStringLiteral("select * from rubry.db order by numid"));
        QCOMPARE(b.w->palette().color(QPalette::Window), QColor(0, 0, 255));
    }

    // Walks every card forwards with "Successivo" and back with "Precedente".
    void navigation_data()
    {
        QTest::addColumn<int>("tabella");
        QTest::addColumn<int>("ordine");
        QTest::addColumn<QList<int>>("numeri"); // NumIDs in the expected order
        QTest::newRow("one, by number") << 2 << -1 << QList<int>{1};
        QTest::newRow("one, by name") << 2 << 0 << QList<int>{1};
        QTest::newRow("several, by number") << 3 << -1 << QList<int>{1, 2, 3, 4};
        QTest::newRow("several, by name") << 3 << 0 << QList<int>{2, 3, 1, 4};
        QTest::newRow("several, by surname") << 3 << 1 << QList<int>{4, 2, 3, 1};
    }
    void navigation()
    {
        QFETCH(int, tabella);
        QFETCH(int, ordine);
        QFETCH(QList<int>, numeri);
        Banco b(tabella);
        QVERIFY(b.mostra());
        b.ordina(ordine);
        QCOMPARE(b.w->ordine(), ordine);
        QCOMPARE(b.w->queryRead()->sql(), TFrmVisSel::testoQuery(ordine));

        QVERIFY(!b.BTSback->isEnabled());
        QVERIFY(b.BTSnext->isEnabled());
        QStringList viste{b.scheda()};
        while (b.BTSnext->isEnabled()) {
            b.avanti();
            QVERIFY(b.BTSback->isEnabled());
            viste << b.scheda();
            QVERIFY(viste.size() <= numeri.size() + 1);
        }
        // With one contact "Successivo" shows the same card once more, then switches off.
        if (numeri.size() == 1)
            QCOMPARE(viste.takeLast(), viste.first());
        QStringList attese;
        for (int n : numeri)
            attese << (tabella == 3 ? scheda(n)
                                    : QStringLiteral("1|Mario|Rossi|0612|mario@rossi.it"));
        QCOMPARE(viste, attese);

        QStringList indietro{b.scheda()};
        while (b.BTSback->isEnabled()) {
            b.indietro();
            QVERIFY(b.BTSnext->isEnabled());
            indietro << b.scheda();
            QVERIFY(indietro.size() <= numeri.size() + 1);
        }
        std::reverse(indietro.begin(), indietro.end());
        if (numeri.size() == 1)
            QCOMPARE(indietro.takeLast(), indietro.first());
        QCOMPARE(indietro, attese);
        QVERIFY(b.env.desktop.boxes.isEmpty());
    }

    // An empty table: "0 contatti!", both arrows off, the support address still clickable.
    void emptyTable()
    {
        Banco b(1);
        QVERIFY(b.mostra());
        QCOMPARE(b.PANnum->text(), QStringLiteral("0 contatti!"));
        QCOMPARE(b.PANid->text(), QString());
        QCOMPARE(b.EDTnome->text(), QString());
        QVERIFY(!b.BTSback->isEnabled());
        QVERIFY(!b.BTSnext->isEnabled());
        QCOMPARE(b.LabMail->text(), QStringLiteral(ZR_MAKER_SUPPORT));
        b.clickMail();
        QCOMPARE(b.ultimaMail(),
                 ComponiMail(QStringLiteral(ZR_MAKER_SUPPORT), kOggetto, QString()));
        QVERIFY(b.env.desktop.boxes.isEmpty());
    }

    // Choosing an order over an empty table empties the whole display.
    void emptyTableOrder_data()
    {
        QTest::addColumn<int>("ordine");
        QTest::newRow("by name") << 0;
        QTest::newRow("by surname") << 1;
    }
    void emptyTableOrder()
    {
        QFETCH(int, ordine);
        Banco b(1);
        QVERIFY(b.mostra());
        b.ordina(ordine);
        QCOMPARE(b.scheda(), QStringLiteral("||||"));
        QVERIFY(!b.BTSback->isEnabled());
        QVERIFY(!b.BTSnext->isEnabled());
        b.clickMail();
        QCOMPARE(b.ultimaMail(), ComponiMail(QString(), kOggetto, QString()));
        QVERIFY(b.env.desktop.boxes.isEmpty());
    }

    // A new order starts again from the first card: "Precedente" off, "Successivo" on.
    void orderFromLastCard()
    {
        Banco b(3);
        QVERIFY(b.mostra());
        while (b.BTSnext->isEnabled())
            b.avanti();
        QCOMPARE(b.scheda(), scheda(4));
        b.ordina(0);
        QCOMPARE(b.scheda(), scheda(2));
        QVERIFY(!b.BTSback->isEnabled());
        QVERIFY(b.BTSnext->isEnabled());
        b.avanti();
        QCOMPARE(b.scheda(), scheda(3));
        b.ordina(1);
        QCOMPARE(b.scheda(), scheda(4));
        QVERIFY(!b.BTSback->isEnabled());
        QVERIFY(b.BTSnext->isEnabled());
        // Choosing the item already chosen changes nothing.
        b.avanti();
        b.ordina(1);
        QCOMPARE(b.scheda(), scheda(2));
    }

    // The mail to the shown contact, and to a contact without an address.
    void mailToShownContact()
    {
        Banco b(3);
        QVERIFY(b.mostra());
        b.avanti();
        QCOMPARE(b.LabMail->text(), QStringLiteral("anna@b.it"));
        b.clickMail();
        QCOMPARE(b.env.desktop.urls.size(), 1);
        QCOMPARE(b.ultimaMail(), QStringLiteral("mailto:anna@b.it?subject=Invio mail tramite "
                                                "Zentor_Rubrica&body="));
        b.avanti();
        QCOMPARE(b.LabMail->text(), QString());
        b.clickMail();
        QCOMPARE(b.ultimaMail(), QStringLiteral("mailto:?subject=Invio mail tramite "
                                                "Zentor_Rubrica&body="));
        QVERIFY(b.env.desktop.boxes.isEmpty());
    }

    // No table: the engine's error in the default error report; the arrows stay off.
    void missingTable()
    {
        Banco b(0);
        QVERIFY(b.mostra());
        QCOMPARE(b.env.desktop.boxes.size(), 1);
        QCOMPARE(b.env.desktop.boxes.first().caption, platform::applicationTitle());
        QCOMPARE(b.env.desktop.boxes.first().icon, platform::Icon::Critical);
        QVERIFY(!b.BTSback->isEnabled());
        QVERIFY(!b.BTSnext->isEnabled());
    }

    void exitCloses()
    {
        Banco b(2);
        QVERIFY(b.mostra());
        QTest::mouseClick(b.BTMann, Qt::LeftButton);
        QVERIFY(!b.w->isVisible());
    }

    // The created-per-use entry point runs the window modally and destroys it.
    void eseguiRunsModally()
    {
        testing_support::TestEnv env;
        creaRubrica({{"Rossi", "Mario", "0612", "mario@rossi.it"}});
        QWidget owner;
        owner.show();
        QString vista;
        QTimer poll;
        poll.setInterval(10);
        QElapsedTimer clock;
        clock.start();
        connect(&poll, &QTimer::timeout, [&] {
            auto* frm = qobject_cast<TFrmVisSel*>(QApplication::activeModalWidget());
            if (frm && vista.isEmpty()) {
                vista = trova<QLineEdit>(frm, "EDTnome")->text();
                QCOMPARE(frm->parentWidget(), &owner);
                trova<QPushButton>(frm, "BTMann")->click();
            } else if (clock.elapsed() > 5000 && QApplication::activeModalWidget()) {
                QApplication::activeModalWidget()->close();
            }
        });
        poll.start();
        TFrmVisSel::Esegui(&owner);
        poll.stop();
        QCOMPARE(vista, QStringLiteral("Mario"));
        QVERIFY(owner.findChildren<TFrmVisSel*>().isEmpty());
    }
};

QTEST_MAIN(TstVisSel)
#include "tst_vissel.moc"
