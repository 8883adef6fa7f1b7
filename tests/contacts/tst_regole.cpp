// Entry rules over a small window with the four edits, for both window kinds.
#include "TestEnv.h"
#include "contacts/RegoleInserimento.h"
#include "contacts/TFrmInserisci.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>

using contacts::Campo;
using contacts::TipoFinestra;

Q_DECLARE_METATYPE(contacts::TipoFinestra)
Q_DECLARE_METATYPE(contacts::Campo)

namespace {

// Four edits wired like the entry windows: Enter counted, Exit runs the rules.
class Banco : public QDialog
{
public:
    explicit Banco(TipoFinestra tipo) : regole(new contacts::RegoleInserimento(tipo, this))
    {
        auto* lay = new QVBoxLayout(this);
        bottone = new QPushButton(QStringLiteral("Modifica"), this);
        bottone->setObjectName(QStringLiteral("BBmem"));
        bottone->setAutoDefault(false);
        lay->addWidget(bottone);
        for (QLineEdit** e : {&nome, &cognome, &numero, &mail}) {
            *e = new QLineEdit(this);
            lay->addWidget(*e);
        }
        nome->setObjectName(QStringLiteral("EDTnome"));
        cognome->setObjectName(QStringLiteral("EDTcognome"));
        numero->setObjectName(QStringLiteral("EDTnumero"));
        mail->setObjectName(QStringLiteral("EDTmail"));
        const std::pair<QLineEdit*, Campo> campi[] = {{nome, Campo::Nome},
                                                      {cognome, Campo::Cognome},
                                                      {numero, Campo::Numero},
                                                      {mail, Campo::Mail}};
        for (const auto& coppia : campi) {
            QLineEdit* edit = coppia.first;
            const Campo campo = coppia.second;
            auto* ev = regole->aggiungi(edit, campo);
            connect(ev, &contacts::EventiCampo::entrato, this, [this, edit] {
                ++entrate[edit];
                edit->clear();
            });
            connect(ev, &contacts::EventiCampo::uscito, this, [this, edit, campo] {
                ++uscite[edit];
                if (campo == Campo::Nome || campo == Campo::Cognome)
                    regole->regolaNome(edit);
                else if (campo == Campo::Mail)
                    regole->regolaMail(edit);
            });
        }
    }
    QLineEdit* edit(Campo c) const
    {
        switch (c) {
        case Campo::Nome:
            return nome;
        case Campo::Cognome:
            return cognome;
        case Campo::Numero:
            return numero;
        case Campo::Mail:
            return mail;
        }
        return nullptr;
    }

    contacts::RegoleInserimento* regole;
    QPushButton* bottone = nullptr;
    QLineEdit* nome = nullptr;
    QLineEdit* cognome = nullptr;
    QLineEdit* numero = nullptr;
    QLineEdit* mail = nullptr;
    QHash<QLineEdit*, int> entrate;
    QHash<QLineEdit*, int> uscite;
};

// Types a text as key presses: "\b" is the Backspace key, other characters are text keys
// (non-ASCII ones too, as a keyboard layout would send them).
void digita(QWidget* w, const QString& text)
{
    for (QChar c : text) {
        if (c == u'\b')
            QTest::keyClick(w, Qt::Key_Backspace);
        else if (c == u'\t')
            QTest::keyClick(w->window()->focusWidget(), Qt::Key_Tab);
        else if (c.unicode() < 128)
            QTest::keyClick(w, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key(c.toUpper().unicode()), QString(c),
                                Qt::NoModifier);
    }
}

const char* nomeEdit(Campo c)
{
    switch (c) {
    case Campo::Nome:
        return "EDTnome";
    case Campo::Cognome:
        return "EDTcognome";
    case Campo::Numero:
        return "EDTnumero";
    case Campo::Mail:
        return "EDTmail";
    }
    return "";
}

bool mostra(QWidget& w)
{
    w.show();
    w.activateWindow();
    return QTest::qWaitForWindowActive(&w);
}

} // namespace

class TstRegole : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void filtraTasto_data()
    {
        QTest::addColumn<TipoFinestra>("tipo");
        QTest::addColumn<Campo>("campo");
        QTest::addColumn<QString>("accettati");
        QTest::addColumn<QString>("rifiutati");
        const auto N = TipoFinestra::NuovoContatto;
        const auto M = TipoFinestra::ModificaContatto;
        QTest::newRow("new nome") << N << Campo::Nome << "AZaz\b"
                                  << "09 '-+/.@\u00f2\u00c8";
        QTest::newRow("new cognome") << N << Campo::Cognome << "AZaz\b"
                                     << "09 '-+/\u00f2";
        QTest::newRow("new numero") << N << Campo::Numero << "0123456789\b"
                                    << "-+/ aZ.";
        QTest::newRow("new mail") << N << Campo::Mail << "aZ09 '-+/@.\u00f2\b"
                                  << "";
        QTest::newRow("edit nome") << M << Campo::Nome << "AZaz"
                                   << "\b09 '-+/\u00f2";
        QTest::newRow("edit cognome") << M << Campo::Cognome << "AZaz"
                                      << "\b09 '-+/\u00f2";
        QTest::newRow("edit numero") << M << Campo::Numero << "0123456789-"
                                     << "\b+/ aZ.";
        QTest::newRow("edit mail") << M << Campo::Mail << "aZ09 '-+/@.\u00f2\b"
                                   << "";
    }
    void filtraTasto()
    {
        QFETCH(TipoFinestra, tipo);
        QFETCH(Campo, campo);
        QFETCH(QString, accettati);
        QFETCH(QString, rifiutati);
        for (QChar c : accettati)
            QVERIFY2(contacts::TastoAccettato(tipo, campo, c), qPrintable(QString(c)));
        for (QChar c : rifiutati)
            QVERIFY2(!contacts::TastoAccettato(tipo, campo, c), qPrintable(QString(c)));
    }

    void mailAccettabile_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::newRow("empty") << "" << true;
        QTest::newRow("three letters") << "abc" << false;
        QTest::newRow("with at") << "abc@" << true;
        QTest::newRow("lone at") << "@" << true;
        QTest::newRow("starts with at") << "@abc" << true;
        QTest::newRow("blank") << " " << false;
    }
    void mailAccettabile()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QCOMPARE(contacts::MailAccettabile(text), ok);
    }

    // The key filters of both windows, one table: keys typed into the edit of a window of
    // each kind (the new-contact window itself; for the edit kind four edits under the same
    // rules), what the edit holds afterwards and where the focus went. "\b" is the
    // Backspace key, "\t" the Tab key.
    void tastiDigitati_data()
    {
        QTest::addColumn<TipoFinestra>("tipo");
        QTest::addColumn<Campo>("campo");
        QTest::addColumn<QString>("digitato");
        QTest::addColumn<QString>("atteso");
        QTest::addColumn<QString>("fuoco"); // objectName of the focus widget at the end
        const auto N = TipoFinestra::NuovoContatto;
        const auto M = TipoFinestra::ModificaContatto;
        const Campo nome = Campo::Nome, cognome = Campo::Cognome, numero = Campo::Numero,
                    mail = Campo::Mail;
        auto row = [](const char* name, TipoFinestra t, Campo c, const QString& d, const QString& a,
                      const char* f) {
            QTest::newRow(name) << t << c << d << a << QString::fromLatin1(f);
        };
        // letters
        row("N nome letters", N, nome, "Mario", "Mario", "EDTnome");
        row("M nome letters", M, nome, "Mario", "Mario", "EDTnome");
        row("N cognome letters", N, cognome, "Rossi", "Rossi", "EDTcognome");
        row("M cognome letters", M, cognome, "Rossi", "Rossi", "EDTcognome");
        row("N numero letters", N, numero, "ab1c2", "12", "EDTnumero");
        row("M numero letters", M, numero, "ab1c2", "12", "EDTnumero");
        row("N mail letters", N, mail, "abc", "abc", "EDTmail");
        row("M mail letters", M, mail, "abc", "abc", "EDTmail");
        // digits
        row("N nome digits", N, nome, "Ma1r2io", "Mario", "EDTnome");
        row("M nome digits", M, nome, "Ma1r2io", "Mario", "EDTnome");
        row("N numero digits", N, numero, "0123456789", "0123456789", "EDTnumero");
        row("M numero digits", M, numero, "0123456789", "0123456789", "EDTnumero");
        // space
        row("N nome space", N, nome, "De Luca", "DeLuca", "EDTnome");
        row("M cognome space", M, cognome, "De Luca", "DeLuca", "EDTcognome");
        row("N numero space", N, numero, "06 12", "0612", "EDTnumero");
        row("M numero space", M, numero, "06 12", "0612", "EDTnumero");
        row("N mail space", N, mail, "a b", "a b", "EDTmail");
        // apostrophe
        row("N cognome apostrophe", N, cognome, "D'Amico", "DAmico", "EDTcognome");
        row("M cognome apostrophe", M, cognome, "D'Amico", "DAmico", "EDTcognome");
        row("M mail apostrophe", M, mail, "d'a@b", "d'a@b", "EDTmail");
        // accented letter
        row("N nome accented", N, nome, "Niccol\u00f2", "Niccol", "EDTnome");
        row("M nome accented", M, nome, "Niccol\u00f2", "Niccol", "EDTnome");
        row("N mail accented", N, mail, "\u00f2@b", "\u00f2@b", "EDTmail");
        // "+", "/", "-"
        row("N cognome plus slash dash", N, cognome, "a+b/c-d", "abcd", "EDTcognome");
        row("M nome plus slash dash", M, nome, "a+b/c-d", "abcd", "EDTnome");
        row("N numero plus slash dash", N, numero, "+39/06-1", "39061", "EDTnumero");
        row("M numero plus slash dash", M, numero, "+39/06-1", "3906-1", "EDTnumero");
        row("N mail plus slash dash", N, mail, "a+b/c-d@e", "a+b/c-d@e", "EDTmail");
        // backspace
        row("N nome backspace", N, nome, "Marx\bio", "Mario", "EDTnome");
        row("M nome backspace", M, nome, "Marx\bio", "Marxio", "EDTnome");
        row("N cognome backspace", N, cognome, "Ab\b", "A", "EDTcognome");
        row("M cognome backspace", M, cognome, "Ab\b", "Ab", "EDTcognome");
        row("N numero backspace", N, numero, "0612\b3", "0613", "EDTnumero");
        row("M numero backspace", M, numero, "0612\b3", "06123", "EDTnumero");
        row("N mail backspace", N, mail, "ab\bc", "ac", "EDTmail");
        row("M mail backspace", M, mail, "ab\bc", "ac", "EDTmail");
        // Tab moves the focus on, it is no character to drop
        row("N nome tab", N, nome, "Ann\t", "Ann", "EDTcognome");
        row("M nome tab", M, nome, "Ann\t", "Ann", "EDTcognome");
        row("N numero tab", N, numero, "12\t", "12", "EDTmail");
        row("M numero tab", M, numero, "12\t", "12", "EDTmail");
        row("N mail tab", N, mail, "a@b\t", "a@b", "BBmem");
        row("M mail tab", M, mail, "a@b\t", "a@b", "BBmem");
    }
    void tastiDigitati()
    {
        QFETCH(TipoFinestra, tipo);
        QFETCH(Campo, campo);
        QFETCH(QString, digitato);
        QFETCH(QString, atteso);
        QFETCH(QString, fuoco);
        testing_support::TestEnv env;
        std::unique_ptr<QDialog> w;
        if (tipo == TipoFinestra::NuovoContatto)
            w = std::make_unique<TFrmInserisci>();
        else
            w = std::make_unique<Banco>(tipo);
        QVERIFY(mostra(*w));
        auto* e = w->findChild<QLineEdit*>(QString::fromLatin1(nomeEdit(campo)));
        QVERIFY(e);
        QTest::mouseClick(e, Qt::LeftButton); // enters the edit, which empties it
        QCOMPARE(w->focusWidget(), e);
        QCOMPARE(e->text(), QString());
        digita(e, digitato);
        QCOMPARE(e->text(), atteso);
        QVERIFY(w->focusWidget());
        QCOMPARE(w->focusWidget()->objectName(), fuoco);
        QVERIFY(env.desktop.boxes.isEmpty());
    }

    // Delete is an editing key, not a typed character: it erases in both kinds.
    void deleteErases_data()
    {
        QTest::addColumn<TipoFinestra>("tipo");
        QTest::newRow("new") << TipoFinestra::NuovoContatto;
        QTest::newRow("edit") << TipoFinestra::ModificaContatto;
    }
    void deleteErases()
    {
        QFETCH(TipoFinestra, tipo);
        testing_support::TestEnv env;
        Banco w(tipo);
        QVERIFY(mostra(w));
        w.numero->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(w.numero, QStringLiteral("0612"));
        QTest::keyClick(w.numero, Qt::Key_Home);
        QTest::keyClick(w.numero, Qt::Key_Delete);
        QCOMPARE(w.numero->text(), QStringLiteral("612"));
    }

    // Tab still moves the focus out of every filtered edit, Shift+Tab back.
    void tabMovesFocus_data()
    {
        QTest::addColumn<TipoFinestra>("tipo");
        QTest::newRow("new") << TipoFinestra::NuovoContatto;
        QTest::newRow("edit") << TipoFinestra::ModificaContatto;
    }
    void tabMovesFocus()
    {
        QFETCH(TipoFinestra, tipo);
        testing_support::TestEnv env;
        Banco w(tipo);
        QVERIFY(mostra(w));
        w.nome->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(w.nome, QStringLiteral("Anna"));
        QTest::keyClick(w.nome, Qt::Key_Tab);
        QCOMPARE(w.focusWidget(), w.cognome);
        QTest::keyClicks(w.cognome, QStringLiteral("Rossi"));
        QTest::keyClick(w.cognome, Qt::Key_Tab);
        QCOMPARE(w.focusWidget(), w.numero);
        QTest::keyClick(w.numero, Qt::Key_Tab);
        QCOMPARE(w.focusWidget(), w.mail);
        QTest::keyClick(w.mail, Qt::Key_Backtab);
        QCOMPARE(w.focusWidget(), w.numero);
    }

    // Text that arrives without a typed key goes through the same filter: the paste key,
    // the context menu's paste, a drop, an input method's composed text.
    void textWithoutKeys_data()
    {
        QTest::addColumn<TipoFinestra>("tipo");
        QTest::addColumn<Campo>("campo");
        QTest::addColumn<QString>("via");
        QTest::addColumn<QString>("testo");
        QTest::addColumn<QString>("atteso");
        const auto N = TipoFinestra::NuovoContatto;
        const auto M = TipoFinestra::ModificaContatto;
        for (const char* via : {"paste key", "context menu", "drop", "input method"}) {
            const QByteArray v(via);
            QTest::newRow(v + " N nome")
                << N << Campo::Nome << QString::fromLatin1(via) << "D'Amico 3 Niccol\u00f2"
                << "DAmicoNiccol";
            QTest::newRow(v + " N numero")
                << N << Campo::Numero << QString::fromLatin1(via) << "+39 06-1234"
                << "39061234";
            QTest::newRow(v + " M numero")
                << M << Campo::Numero << QString::fromLatin1(via) << "+39 06-1234"
                << "3906-1234";
            QTest::newRow(v + " M mail")
                << M << Campo::Mail << QString::fromLatin1(via) << "a b@c\u00f2"
                << "a b@c\u00f2";
        }
    }
    void textWithoutKeys()
    {
        QFETCH(TipoFinestra, tipo);
        QFETCH(Campo, campo);
        QFETCH(QString, via);
        QFETCH(QString, testo);
        QFETCH(QString, atteso);
        testing_support::TestEnv env;
        Banco w(tipo);
        QVERIFY(mostra(w));
        QLineEdit* e = w.edit(campo);
        e->setFocus(Qt::TabFocusReason);
        if (via == QLatin1String("paste key") || via == QLatin1String("context menu")) {
            QGuiApplication::clipboard()->setText(testo);
            if (QGuiApplication::clipboard()->text() != testo)
                QSKIP("no clipboard on this platform");
        }
        if (via == QLatin1String("paste key")) {
            QTest::keySequence(e, QKeySequence(QKeySequence::Paste));
        } else if (via == QLatin1String("context menu")) {
            QContextMenuEvent ev(QContextMenuEvent::Mouse, QPoint(5, 5),
                                 e->mapToGlobal(QPoint(5, 5)));
            QCoreApplication::sendEvent(e, &ev);
            QMenu* menu = nullptr;
            QTRY_VERIFY((menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())));
            // the fifth entry after undo, redo, a separator, cut and copy
            const auto azioni = menu->actions();
            QVERIFY(azioni.size() > 5);
            QAction* incolla = azioni.at(5);
            QVERIFY(incolla->text().contains(QStringLiteral("Paste")));
            incolla->trigger();
            menu->close();
        } else if (via == QLatin1String("drop")) {
            QMimeData mime;
            mime.setText(testo);
            QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &mime, Qt::LeftButton,
                                  Qt::NoModifier);
            QCoreApplication::sendEvent(e, &enter);
            QVERIFY(enter.isAccepted());
            QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(e, &drop);
        } else {
            QInputMethodEvent im;
            im.setCommitString(testo);
            QCoreApplication::sendEvent(e, &im);
        }
        QCOMPARE(e->text(), atteso);
    }

    // The name rule: leaving an empty name puts the focus back, with no box; the surname,
    // which the focus passed through, is neither entered nor left.
    void nameRuleKeepsFocus_data()
    {
        QTest::addColumn<TipoFinestra>("tipo");
        QTest::newRow("new") << TipoFinestra::NuovoContatto;
        QTest::newRow("edit") << TipoFinestra::ModificaContatto;
    }
    void nameRuleKeepsFocus()
    {
        QFETCH(TipoFinestra, tipo);
        testing_support::TestEnv env;
        Banco w(tipo);
        QVERIFY(mostra(w));
        w.cognome->setText(QStringLiteral("keep"));
        w.nome->setFocus(Qt::TabFocusReason);
        QCOMPARE(w.entrate[w.nome], 1);
        QTest::keyClick(w.nome, Qt::Key_Tab);
        QVERIFY(w.regole->ritornoInSospeso());
        QTRY_COMPARE(w.focusWidget(), w.nome);
        QVERIFY(!w.regole->ritornoInSospeso());
        QCOMPARE(w.entrate[w.nome], 1); // the return is not an entry
        QCOMPARE(w.uscite[w.nome], 1);
        QCOMPARE(w.entrate[w.cognome], 0);
        QCOMPARE(w.uscite[w.cognome], 0);
        QCOMPARE(w.cognome->text(), QStringLiteral("keep"));
        QVERIFY(env.desktop.boxes.isEmpty());

        // With a name typed the focus moves on.
        QTest::keyClicks(w.nome, QStringLiteral("Anna"));
        QTest::keyClick(w.nome, Qt::Key_Tab);
        QCOMPARE(w.focusWidget(), w.cognome);
        QVERIFY(!w.regole->ritornoInSospeso());
        QCOMPARE(w.entrate[w.cognome], 1);
    }

    // Name empty, surname empty: the two rules must not chase each other.
    void twoEmptyNamesDoNotLoop()
    {
        testing_support::TestEnv env;
        Banco w(TipoFinestra::NuovoContatto);
        QVERIFY(mostra(w));
        w.nome->setFocus(Qt::TabFocusReason);
        QTest::keyClick(w.nome, Qt::Key_Tab);
        QTRY_COMPARE(w.focusWidget(), w.nome);
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        QCOMPARE(w.focusWidget(), w.nome);
        QCOMPARE(w.uscite[w.nome], 1);
        QCOMPARE(w.uscite[w.cognome], 0);
    }

    // The e-mail rule: exactly one box, focus back, the text kept for correction.
    void mailRule_data()
    {
        QTest::addColumn<QString>("digitato");
        QTest::addColumn<bool>("errore");
        QTest::newRow("empty") << "" << false;
        QTest::newRow("three letters") << "abc" << true;
        QTest::newRow("letters and at") << "abc@" << false;
    }
    void mailRule()
    {
        QFETCH(QString, digitato);
        QFETCH(bool, errore);
        testing_support::TestEnv env;
        Banco w(TipoFinestra::NuovoContatto);
        QVERIFY(mostra(w));
        w.mail->setFocus(Qt::TabFocusReason);
        digita(w.mail, digitato);
        QTest::keyClick(w.mail, Qt::Key_Tab); // wraps to the button
        if (errore) {
            QTRY_COMPARE(w.focusWidget(), w.mail);
            QCOMPARE(env.desktop.texts(), QStringList{contacts::MsgMailErrata()});
            QCOMPARE(env.desktop.boxes.first().caption, QStringLiteral("Errore"));
            QCOMPARE(env.desktop.boxes.first().icon, platform::Icon::Critical);
            QCOMPARE(w.mail->text(), digitato);
            QCOMPARE(w.entrate[w.mail], 1);
        } else {
            QCOMPARE(w.focusWidget(), w.bottone);
            QCoreApplication::processEvents();
            QCOMPARE(w.focusWidget(), w.bottone);
            QVERIFY(env.desktop.boxes.isEmpty());
        }
    }

    // A message box taking the activation from the window is no exit, and its closing is
    // no entry: the rule does not loop when a real box opens from the handler.
    void activationIsNoEntryNorExit()
    {
        testing_support::TestEnv env;
        Banco w(TipoFinestra::NuovoContatto);
        QVERIFY(mostra(w));
        w.mail->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(w.mail, QStringLiteral("abc"));
        // Simulates what a real box does: the window loses and regains activation.
        QDialog other;
        env.desktop.onMessage =
            [&](const platform::MessageBox&) -> std::optional<platform::Answer> {
            other.show();
            other.activateWindow();
            const bool otherActive = QTest::qWaitForWindowActive(&other);
            other.hide();
            w.activateWindow();
            const bool back = QTest::qWaitForWindowActive(&w);
            if (!otherActive || !back)
                return platform::Answer::No; // shows up as a failed activation below
            return platform::Answer::Ok;
        };
        QTest::keyClick(w.mail, Qt::Key_Tab);
        QTRY_COMPARE(w.focusWidget(), w.mail);
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        QCOMPARE(env.desktop.boxes.size(), 1);
        QCOMPARE(w.mail->text(), QStringLiteral("abc"));
        QCOMPARE(w.entrate[w.mail], 1);
        QCOMPARE(w.uscite[w.mail], 1);
    }

    // FormActivate: on show, when a child window closes, never when a message box closes.
    void formActivate()
    {
        testing_support::TestEnv env;
        QDialog w;
        int attivazioni = 0;
        new contacts::AttivazioneFinestra(&w, [&] { ++attivazioni; });
        QVERIFY(mostra(w));
        QCOMPARE(attivazioni, 1);

        auto* figlia = new QDialog(&w);
        figlia->show();
        QCOMPARE(attivazioni, 1);
        figlia->hide();
        QCOMPARE(attivazioni, 2);
        delete figlia;

        auto* box = new QMessageBox(&w);
        box->show();
        box->hide();
        delete box;
        QCOMPARE(attivazioni, 2);

        // a plain child widget hidden is no window closing
        auto* pulsante = new QPushButton(&w);
        pulsante->show();
        pulsante->hide();
        QCOMPARE(attivazioni, 2);

        w.hide();
        QCOMPARE(attivazioni, 2);
        w.show();
        QCOMPARE(attivazioni, 3);
    }
};

QTEST_MAIN(TstRegole)
#include "tst_regole.moc"
