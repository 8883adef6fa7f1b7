#include "contacts/TFrmInserisci.h"

#include "contacts/Rubrica.h"
#include "engine/DataSet.h"
#include "platform/Desktop.h"
#include "shell/Fx.h"
#include "ui_TFrmInserisci.h"

#include <QApplication>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>

using contacts::Campo;
using contacts::TipoFinestra;

namespace {

constexpr Campo kCampi[4] = {Campo::Nome, Campo::Cognome, Campo::Numero, Campo::Mail};

// Widths of the fields of Rubry.Db, in the order of the edits.
constexpr int kLarghezze[4] = {50, 50, 20, 40};

} // namespace

TFrmInserisci::TFrmInserisci(QWidget* owner)
    : QDialog(owner), ui(std::make_unique<Ui::TFrmInserisci>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(254, 112);

    ui->BBmem->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    ui->BBannulla->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    ui->SpeedButton1->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));

    m_edits = {ui->EDTnome, ui->EDTcognome, ui->EDTnumero, ui->EDTmail};

    m_tbl = new engine::Table(QString::fromLatin1(kTabellaRubrica), this);
    m_tbl->setObjectName(QStringLiteral("TblInserisci"));

    m_regole = new contacts::RegoleInserimento(TipoFinestra::NuovoContatto, this);
    auto* nome = m_regole->aggiungi(ui->EDTnome, Campo::Nome);
    auto* cognome = m_regole->aggiungi(ui->EDTcognome, Campo::Cognome);
    auto* numero = m_regole->aggiungi(ui->EDTnumero, Campo::Numero);
    auto* mail = m_regole->aggiungi(ui->EDTmail, Campo::Mail);
    connect(nome, &contacts::EventiCampo::entrato, this, &TFrmInserisci::EDTnomeEnter);
    connect(cognome, &contacts::EventiCampo::entrato, this, &TFrmInserisci::EDTcognomeEnter);
    connect(numero, &contacts::EventiCampo::entrato, this, &TFrmInserisci::EDTnumeroEnter);
    connect(mail, &contacts::EventiCampo::entrato, this, &TFrmInserisci::EDTmailEnter);
    connect(nome, &contacts::EventiCampo::uscito, this, &TFrmInserisci::EDTnomeExit);
    connect(cognome, &contacts::EventiCampo::uscito, this, &TFrmInserisci::EDTcognomeExit);
    connect(mail, &contacts::EventiCampo::uscito, this, &TFrmInserisci::EDTmailExit);
    nome->setKeyPress([this](QChar& key) { EDTcognomeKeyPress(key); });
    cognome->setKeyPress([this](QChar& key) { EDTcognomeKeyPress(key); });
    numero->setKeyPress([this](QChar& key) { EDTnumeroKeyPress(key); });

    connect(ui->BBmem, &QPushButton::clicked, this, &TFrmInserisci::BBmemClick);
    connect(ui->BBannulla, &QPushButton::clicked, this, &TFrmInserisci::BBannullaClick);
    connect(ui->SpeedButton1, &QToolButton::clicked, this, &TFrmInserisci::SpeedButton1Click);

    new contacts::AttivazioneFinestra(this, [this] { FormActivate(); });

    ImpostaSegnaposti();
    ui->BBmem->setFocus(Qt::OtherFocusReason);
}

TFrmInserisci::~TFrmInserisci() = default;

void TFrmInserisci::Esegui(QWidget* owner)
{
    TFrmInserisci frm(owner);
    frm.exec();
}

QColor TFrmInserisci::coloreSegnaposto()
{
    return QApplication::palette("QMenu").color(QPalette::Active, QPalette::Window);
}

QColor TFrmInserisci::coloreInserito()
{
    return QApplication::palette("QLineEdit").color(QPalette::Active, QPalette::Base);
}

QString TFrmInserisci::segnaposto(Campo campo)
{
    switch (campo) {
    case Campo::Nome:
        return QStringLiteral("Inserisci qui il nome...");
    case Campo::Cognome:
        return QStringLiteral("Inserisci qui il cognome...");
    case Campo::Numero:
        return QStringLiteral("Inserisci qui il numero...");
    case Campo::Mail:
        return QStringLiteral("Inserisci qui la mail...");
    }
    return QString();
}

int TFrmInserisci::indice(const QLineEdit* edit) const
{
    for (int i = 0; i < 4; ++i) {
        if (m_edits[i] == edit)
            return i;
    }
    return -1;
}

bool TFrmInserisci::inserito(const QLineEdit* edit) const
{
    const int i = indice(edit);
    return i >= 0 && m_inserito[i];
}

void TFrmInserisci::ImpostaSegnaposti()
{
    for (int i = 0; i < 4; ++i) {
        QLineEdit* e = m_edits[i];
        // The placeholder texts are longer than some fields: the width limit applies only
        // to what the user types.
        e->setMaxLength(32767);
        e->setText(segnaposto(kCampi[i]));
        e->setCursorPosition(0); // shows the start of the text
        QPalette pal = e->palette();
        pal.setColor(QPalette::Base, coloreSegnaposto());
        e->setPalette(pal);
        m_inserito[i] = false;
    }
}

void TFrmInserisci::entra(QLineEdit* edit)
{
    const int i = indice(edit);
    edit->clear();
    // No more can be typed than the field keeps.
    edit->setMaxLength(kLarghezze[i]);
    QPalette pal = edit->palette();
    pal.setColor(QPalette::Base, coloreInserito());
    edit->setPalette(pal);
    m_inserito[i] = true;
}

void TFrmInserisci::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        if (QScreen* s = screen())
            move(s->availableGeometry().center() - rect().center());
    }
    QDialog::showEvent(event);
}

void TFrmInserisci::FormActivate()
{
    ImpostaSegnaposti();
}

void TFrmInserisci::EDTnomeEnter()
{
    entra(ui->EDTnome);
}

void TFrmInserisci::EDTcognomeEnter()
{
    entra(ui->EDTcognome);
}

void TFrmInserisci::EDTnumeroEnter()
{
    entra(ui->EDTnumero);
}

void TFrmInserisci::EDTmailEnter()
{
    entra(ui->EDTmail);
}

void TFrmInserisci::EDTnomeExit()
{
    m_regole->regolaNome(ui->EDTnome);
}

void TFrmInserisci::EDTcognomeExit()
{
    m_regole->regolaNome(ui->EDTcognome);
}

void TFrmInserisci::EDTmailExit()
{
    m_regole->regolaMail(ui->EDTmail);
}

void TFrmInserisci::EDTcognomeKeyPress(QChar& key)
{
    key = contacts::FiltraTasto(TipoFinestra::NuovoContatto, Campo::Cognome, key);
}

void TFrmInserisci::EDTnumeroKeyPress(QChar& key)
{
    key = contacts::FiltraTasto(TipoFinestra::NuovoContatto, Campo::Numero, key);
}

void TFrmInserisci::BBmemClick()
{
    // A rule is putting the focus back (the click took the focus from an edit whose value
    // was refused): the rule wins, nothing is stored.
    if (m_regole->ritornoInSospeso())
        return;
    for (bool entrato : m_inserito) {
        if (!entrato) {
            MostraErrore(QStringLiteral("I dati non sono sufficenti...!"));
            return;
        }
    }
    // The e-mail edit may still hold a refused address when the button was reached without
    // leaving it; it is never stored.
    if (!m_regole->regolaMail(ui->EDTmail))
        return;

    try {
        if (!m_tbl->active())
            m_tbl->open();
    } catch (const std::exception& e) {
        const auto* err = dynamic_cast<const zr::Error*>(&e);
        platform::reportError(err ? err->message() : QString::fromLocal8Bit(e.what()));
        return;
    }

    try {
        m_tbl->last();
        m_tbl->append();
        m_tbl->fieldByName(QStringLiteral("Cognome")).setString(ui->EDTcognome->text());
        m_tbl->fieldByName(QStringLiteral("Nome")).setString(ui->EDTnome->text());
        m_tbl->fieldByName(QStringLiteral("Numero")).setString(ui->EDTnumero->text());
        m_tbl->fieldByName(QStringLiteral("Mail")).setString(ui->EDTmail->text());
        m_tbl->post();
        MostraMessaggio(QStringLiteral("Nuova identità aggiunta con successo alla rubrica!"));
        ImpostaSegnaposti();
    } catch (const std::exception&) {
        // A record left half inserted would be posted by the next attempt's navigation.
        try {
            if (m_tbl->state() == engine::DataSet::State::Insert)
                m_tbl->cancel();
        } catch (const std::exception&) {
        }
        MostraErrore(QStringLiteral(
            "Impossibile eseguire l'immissione, l'accesso all'archivio è bloccato!"));
    }
}

void TFrmInserisci::BBannullaClick()
{
    ImpostaSegnaposti();
}

void TFrmInserisci::SpeedButton1Click()
{
    close();
}
