#include "contacts/RegoleInserimento.h"

#include "shell/Fx.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDropEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>

namespace contacts {

QString MsgMailErrata()
{
    return QStringLiteral("L'indirizzo e-mail non è giusto!");
}

namespace {

bool letteraAscii(QChar c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

bool cifra(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// A focus change that only reflects the window's activation (a message box, another
// program, a popup menu), not the user moving between controls.
bool soloAttivazione(const QFocusEvent* event)
{
    return event->reason() == Qt::ActiveWindowFocusReason ||
           event->reason() == Qt::PopupFocusReason;
}

} // namespace

QChar FiltraTasto(TipoFinestra finestra, Campo campo, QChar key)
{
    const bool backspace = key == u'\b';
    const bool nuovo = finestra == TipoFinestra::NuovoContatto;
    bool ok = false;
    switch (campo) {
    case Campo::Nome:
    case Campo::Cognome:
        ok = letteraAscii(key) || (nuovo && backspace);
        break;
    case Campo::Numero:
        ok = cifra(key) || (nuovo ? backspace : key == u'-');
        break;
    case Campo::Mail:
        ok = !key.isNull();
        break;
    }
    return ok ? key : QChar();
}

QChar CarattereDigitato(const QKeyEvent& event)
{
    if (event.key() == Qt::Key_Backspace)
        return QChar(u'\b');
    // The same test a line edit makes before it inserts the text of a key press, so that
    // whatever the edit would insert passes through the filter first.
    const QString text = event.text();
    if (text.isEmpty())
        return QChar();
    const QChar c = text.at(0);
    if (c.category() == QChar::Other_Format)
        return c;
    const auto mods = event.modifiers() & ~Qt::KeypadModifier;
    if (mods == Qt::ControlModifier || mods == (Qt::ShiftModifier | Qt::ControlModifier))
        return QChar();
    if (c.isPrint() || c.category() == QChar::Other_PrivateUse)
        return c;
    if (c.isHighSurrogate() && text.size() > 1 && text.at(1).isLowSurrogate())
        return c;
    return QChar();
}

bool MailAccettabile(const QString& text)
{
    return text.isEmpty() || text.contains(u'@');
}

// --- EventiCampo -----------------------------------------------------------------------

EventiCampo::EventiCampo(RegoleInserimento* regole, QLineEdit* edit, Campo campo)
    : QObject(edit), m_regole(regole), m_edit(edit), m_campo(campo)
{
    edit->installEventFilter(this);
}

QChar EventiCampo::accetta(QChar key) const
{
    if (m_keyPress) {
        QChar k = key;
        m_keyPress(k);
        return k;
    }
    if (!m_regole)
        return key;
    return FiltraTasto(m_regole->finestra(), m_campo, key);
}

QString EventiCampo::filtra(const QString& text) const
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c == u'\b')
            continue;
        const QChar k = accetta(c);
        if (!k.isNull() && k != u'\b')
            out += k;
    }
    return out;
}

void EventiCampo::inserisciFiltrato(const QString& text)
{
    if (m_edit->isReadOnly())
        return;
    const QString filtered = filtra(text);
    if (!filtered.isEmpty())
        m_edit->insert(filtered);
}

bool EventiCampo::gestisciTasto(QKeyEvent* event)
{
    if (m_edit->isReadOnly())
        return false;
    if (event->matches(QKeySequence::Paste)) {
        inserisciFiltrato(QGuiApplication::clipboard()->text(QClipboard::Clipboard));
        return true;
    }
    const QChar typed = CarattereDigitato(*event);
    if (typed.isNull())
        return false; // no typed character: Tab, Delete, arrows, shortcuts...
    if (typed == u'\b')
        return accetta(typed).isNull(); // dropped, or left to the edit to erase
    const QString text = event->text();
    QString filtered;
    for (QChar c : text) {
        const QChar k = accetta(c);
        if (!k.isNull() && k != u'\b')
            filtered += k;
    }
    if (filtered == text)
        return false; // accepted as typed
    if (!filtered.isEmpty())
        m_edit->insert(filtered);
    return true;
}

bool EventiCampo::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_edit)
        return false;
    switch (event->type()) {
    case QEvent::FocusIn: {
        auto* fe = static_cast<QFocusEvent*>(event);
        if (soloAttivazione(fe))
            return false;
        if (m_regole && m_regole->ritornoInSospeso())
            return false; // a rule is putting the focus back: no entry
        emit entrato();
        return false;
    }
    case QEvent::FocusOut: {
        auto* fe = static_cast<QFocusEvent*>(event);
        if (soloAttivazione(fe) || !m_edit->window()->isVisible())
            return false;
        if (m_regole && m_regole->ritornoInSospeso())
            return false;
        emit uscito();
        return false;
    }
    case QEvent::KeyPress:
        return gestisciTasto(static_cast<QKeyEvent*>(event));
    case QEvent::InputMethod: {
        auto* ie = static_cast<QInputMethodEvent*>(event);
        if (m_edit->isReadOnly() || ie->commitString().isEmpty())
            return false;
        const QString filtered = filtra(ie->commitString());
        if (filtered == ie->commitString())
            return false;
        QInputMethodEvent replacement(ie->preeditString(), ie->attributes());
        replacement.setCommitString(filtered, ie->replacementStart(), ie->replacementLength());
        m_edit->removeEventFilter(this);
        QCoreApplication::sendEvent(m_edit, &replacement);
        m_edit->installEventFilter(this);
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() != Qt::MiddleButton || m_edit->isReadOnly() ||
            !QGuiApplication::clipboard()->supportsSelection())
            return false;
        m_edit->setCursorPosition(m_edit->cursorPositionAt(me->position().toPoint()));
        inserisciFiltrato(QGuiApplication::clipboard()->text(QClipboard::Selection));
        return true;
    }
    case QEvent::Drop: {
        auto* de = static_cast<QDropEvent*>(event);
        if (m_edit->isReadOnly() || !de->mimeData()->hasText())
            return false;
        const QString text = de->mimeData()->text();
        if (filtra(text) == text)
            return false;
        m_edit->setCursorPosition(m_edit->cursorPositionAt(de->position().toPoint()));
        inserisciFiltrato(text);
        de->setDropAction(Qt::CopyAction);
        de->accept();
        return true;
    }
    case QEvent::ContextMenu: {
        auto* ce = static_cast<QContextMenuEvent*>(event);
        QMenu* menu = m_edit->createStandardContextMenu();
        if (!menu)
            return false;
        menu->setAttribute(Qt::WA_DeleteOnClose);
        // The menu's paste action is the one connected to the edit's paste(): it is
        // rewired to the filtered paste.
        for (QAction* action : menu->actions()) {
            const bool paste =
                QObject::disconnect(action, &QAction::triggered, m_edit, &QLineEdit::paste) ||
                QObject::disconnect(action, SIGNAL(triggered()), m_edit, SLOT(paste())) ||
                QObject::disconnect(action, SIGNAL(triggered(bool)), m_edit, SLOT(paste()));
            if (paste) {
                connect(action, &QAction::triggered, this, [this] {
                    inserisciFiltrato(QGuiApplication::clipboard()->text(QClipboard::Clipboard));
                });
            }
        }
        menu->popup(ce->globalPos());
        return true;
    }
    default:
        return false;
    }
}

// --- RegoleInserimento -----------------------------------------------------------------

RegoleInserimento::RegoleInserimento(TipoFinestra finestra, QWidget* window)
    : QObject(window), m_finestra(finestra), m_window(window)
{
}

EventiCampo* RegoleInserimento::aggiungi(QLineEdit* edit, Campo campo)
{
    auto* eventi = new EventiCampo(this, edit, campo);
    m_campi.append(eventi);
    connect(eventi, &QObject::destroyed, this, [this, eventi] { m_campi.removeAll(eventi); });
    return eventi;
}

EventiCampo* RegoleInserimento::eventi(QLineEdit* edit) const
{
    for (EventiCampo* e : m_campi) {
        if (e->edit() == edit)
            return e;
    }
    return nullptr;
}

void RegoleInserimento::rimettiFuoco(QLineEdit* edit)
{
    m_ritorno = edit;
    QTimer::singleShot(0, edit, [this, edit] {
        if (m_ritorno != edit)
            return; // a newer return replaced this one
        if (edit->isVisible() && edit->isEnabled())
            edit->setFocus(Qt::OtherFocusReason);
        m_ritorno.clear();
    });
}

bool RegoleInserimento::regolaNome(QLineEdit* edit)
{
    if (!edit->text().isEmpty())
        return true;
    rimettiFuoco(edit);
    return false;
}

bool RegoleInserimento::regolaMail(QLineEdit* edit)
{
    if (MailAccettabile(edit->text()))
        return true;
    MostraErrore(MsgMailErrata());
    // Armed once the box is closed: the return then runs after the event that left the
    // edit (a click on a button, say) is over, and that event's handler still sees the
    // return pending.
    rimettiFuoco(edit);
    return false;
}

// --- AttivazioneFinestra ---------------------------------------------------------------

AttivazioneFinestra::AttivazioneFinestra(QWidget* window, std::function<void()> formActivate)
    : QObject(window), m_window(window), m_formActivate(std::move(formActivate))
{
    window->installEventFilter(this);
    for (QObject* child : window->children())
        osserva(child);
}

void AttivazioneFinestra::osserva(QObject* child)
{
    if (child != this && child->isWidgetType())
        child->installEventFilter(this);
}

bool AttivazioneFinestra::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window) {
        if (event->type() == QEvent::Show && !event->spontaneous())
            m_formActivate();
        else if (event->type() == QEvent::ChildAdded)
            osserva(static_cast<QChildEvent*>(event)->child());
        return false;
    }
    if (event->type() == QEvent::Hide && !event->spontaneous()) {
        auto* child = qobject_cast<QWidget*>(watched);
        if (!child || child->parentWidget() != m_window || !child->isWindow())
            return false;
        const Qt::WindowType type = child->windowType();
        if (type != Qt::Dialog && type != Qt::Window)
            return false;
        if (qobject_cast<QMessageBox*>(child))
            return false;
        if (m_window->isVisible())
            m_formActivate();
    }
    return false;
}

} // namespace contacts
