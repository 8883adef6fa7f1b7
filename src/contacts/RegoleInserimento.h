#pragma once
// Entry rules shared by the two windows in which a contact is typed: the new-contact
// window (TFrmInserisci) and the contact edit window (TFrmModifica).
//
//  - Key filters: which typed characters each edit accepts, per window kind.
//  - Name rule: leaving the name or surname edit empty puts the focus back on it.
//  - E-mail rule: leaving the e-mail edit with a text that is not empty and has no "@"
//    shows "L'indirizzo e-mail non è giusto!" and puts the focus back on it.
//  - Focus events turned into Enter/Exit handlers the way the user sees them.
//  - FormActivate: run when the window is shown and when a child window of ours closes
//    back to it, never when a message box closes.
//
// Typical use in a window (see TFrmInserisci):
//
//     m_regole = new contacts::RegoleInserimento(contacts::TipoFinestra::NuovoContatto, this);
//     auto* nome = m_regole->aggiungi(ui->EDTnome, contacts::Campo::Nome);
//     connect(nome, &contacts::EventiCampo::entrato, this, &TFrmInserisci::EDTnomeEnter);
//     connect(nome, &contacts::EventiCampo::uscito, this, &TFrmInserisci::EDTnomeExit);
//     nome->setKeyPress([this](QChar& key) { EDTcognomeKeyPress(key); });
//     ...
//     void TFrmInserisci::EDTnomeExit() { m_regole->regolaNome(ui->EDTnome); }
//     void TFrmInserisci::EDTcognomeKeyPress(QChar& key)
//     { key = contacts::FiltraTasto(contacts::TipoFinestra::NuovoContatto, contacts::Campo::Nome,
//     key); }
//
// What counts as a typed character. A key press is a typed character when its key is
// Backspace (the character '\b'), or when it carries text that a line edit would insert:
// printable, and not a Ctrl or Ctrl+Shift shortcut (AltGr characters such as "@" count). Only typed
// characters go through the key filter; everything else reaches the edit untouched: Tab and
// Shift+Tab (focus keeps moving), Return/Enter, Escape, the arrows, Home/End, Delete, function keys
// and shortcuts such as Ctrl+C, Ctrl+A, Ctrl+Z. So in the edit window, where backspace is not
// accepted, Backspace (and Ctrl+Backspace) does nothing, while the Delete key still erases the
// character after the cursor: Delete is an editing key, not a typed character.
//
// Buttons that act on the typed values. A click on a button takes the focus from the edit
// first, so its Exit handler runs before the click: when a rule refused the value, the
// return of the focus is pending (ritornoInSospeso()) while the click is handled. Such a
// handler returns at once in that case, and runs regolaMail() again before storing, so a
// refused address is never stored (see TFrmInserisci::BBmemClick).
//
// Text that arrives without a key press goes through the same filter, character by
// character: paste (Ctrl+V, Shift+Insert, the context menu, the middle mouse button),
// drag and drop and text composed by an input method. Characters that are not accepted
// are dropped, the rest is inserted; nothing is reported.

#include <QChar>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QKeyEvent;
class QLineEdit;
class QWidget;

namespace contacts {

enum class TipoFinestra {
    NuovoContatto,    // TFrmInserisci
    ModificaContatto, // TFrmModifica
};

enum class Campo { Nome, Cognome, Numero, Mail };

// Text of the e-mail rule's error box.
QString MsgMailErrata();

// Key filter. Returns the key when the edit of that window accepts it, or a null QChar
// when it is dropped. Backspace is '\b'.
//   new-contact window: Nome, Cognome: A-Z a-z backspace; Numero: 0-9 backspace
//   edit window:        Nome, Cognome: A-Z a-z;           Numero: 0-9 "-"
//   Mail accepts everything in both.
QChar FiltraTasto(TipoFinestra finestra, Campo campo, QChar key);
inline bool TastoAccettato(TipoFinestra finestra, Campo campo, QChar key)
{
    return !FiltraTasto(finestra, campo, key).isNull();
}

// The typed character of a key press: '\b' for Backspace, the printable character for a
// text key, a null QChar when the key press is no typed character (Tab, Delete, arrows,
// shortcuts, ...). For a key press that carries several characters (a composed sequence)
// this is the first; EventiCampo filters each of them.
QChar CarattereDigitato(const QKeyEvent& event);

// E-mail rule: an empty text, or a text with at least one "@" anywhere.
bool MailAccettabile(const QString& text);

class RegoleInserimento;

// Event adapter of one edit: turns focus events into Enter/Exit and applies the key filter.
// Made by RegoleInserimento::aggiungi(); owned by the edit.
class EventiCampo : public QObject
{
    Q_OBJECT
public:
    using KeyPress = std::function<void(QChar& key)>;

    QLineEdit* edit() const { return m_edit; }
    Campo campo() const { return m_campo; }

    // The window's KeyPress handler: it gets each typed character and may replace it by
    // a null QChar to drop it. Without a handler the filter of FiltraTasto applies.
    void setKeyPress(KeyPress handler) { m_keyPress = std::move(handler); }

    // Runs the key filter over a text (paste, drop, input method): the accepted characters.
    QString filtra(const QString& text) const;

Q_SIGNALS:
    // The user moved the focus into the edit (Tab, click, a shortcut, or the program's
    // setFocus). Not raised when the window gets activated again (a message box closed),
    // when a menu/popup closes, nor when a rule puts the focus back.
    void entrato();
    // The user moved the focus out of the edit. Not raised when the window only loses
    // activation (a message box opens, another program is activated), when a popup opens,
    // while the window is hidden, nor while a rule is putting the focus back elsewhere.
    void uscito();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class RegoleInserimento;
    EventiCampo(RegoleInserimento* regole, QLineEdit* edit, Campo campo);
    QChar accetta(QChar key) const;
    void inserisciFiltrato(const QString& text);
    bool gestisciTasto(QKeyEvent* event);

    QPointer<RegoleInserimento> m_regole;
    QLineEdit* m_edit;
    Campo m_campo;
    KeyPress m_keyPress;
};

// The rules of one entry window over its edits.
class RegoleInserimento : public QObject
{
    Q_OBJECT
public:
    RegoleInserimento(TipoFinestra finestra, QWidget* window);

    TipoFinestra finestra() const { return m_finestra; }

    // Watches an edit: focus events, key filter, paste guard. The returned adapter lives
    // as long as the edit.
    EventiCampo* aggiungi(QLineEdit* edit, Campo campo);
    EventiCampo* eventi(QLineEdit* edit) const;

    // Puts the focus back on the edit once the current event is over (setting the focus
    // from inside a focus-out would confuse the focus chain). While the return is pending
    // the other edits report neither Enter nor Exit, and the return itself raises no Enter,
    // so the edit keeps its text. Nothing happens if the window is hidden meanwhile.
    void rimettiFuoco(QLineEdit* edit);
    // True from rimettiFuoco() until the focus is back.
    bool ritornoInSospeso() const { return !m_ritorno.isNull(); }

    // Name rule, for the Exit handler of the name and surname edits: an empty edit gets
    // the focus back, with no message. Returns true when the text was accepted.
    bool regolaNome(QLineEdit* edit);
    // E-mail rule, for the Exit handler of the e-mail edit: a text that is not empty and
    // has no "@" gives MostraErrore("L'indirizzo e-mail non è giusto!") and the focus back.
    // Returns true when the text was accepted.
    bool regolaMail(QLineEdit* edit);

private:
    friend class EventiCampo;
    TipoFinestra m_finestra;
    QWidget* m_window;
    QList<EventiCampo*> m_campi;
    QPointer<QLineEdit> m_ritorno;
};

// FormActivate for a window: calls the handler when the window is shown (not when it
// comes back from being minimised) and when one of its child windows (a dialog or window
// whose parent is this window, not a message box, menu or tooltip) is hidden while this
// window is visible: that is, when a child window closes back to it. A message box that
// closes does not count, nor does the window being activated again by the user.
class AttivazioneFinestra : public QObject
{
    Q_OBJECT
public:
    AttivazioneFinestra(QWidget* window, std::function<void()> formActivate);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void osserva(QObject* child);
    QWidget* m_window;
    std::function<void()> m_formActivate;
};

} // namespace contacts
