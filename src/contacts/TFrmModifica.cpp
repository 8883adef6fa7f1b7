#include "contacts/TFrmModifica.h"

#include "contacts/RegoleInserimento.h"
#include "contacts/TFrmCanc.h"
#include "engine/DataSet.h"
#include "shell/Fx.h"
#include "ui_TFrmModifica.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>

using contacts::Campo;
using contacts::TipoFinestra;

TFrmModifica::TFrmModifica(TFrmCanc* frmCanc)
    : QDialog(frmCanc, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint),
      m_ui(std::make_unique<Ui::TFrmModifica>()), m_frmCanc(frmCanc), m_tbl(frmCanc->TblAllFx())
{
    m_ui->setupUi(this);
    setFixedSize(size());
    setObjectName(QStringLiteral("FrmModifica"));
    if (const QScreen* schermo = QGuiApplication::primaryScreen())
        move(schermo->availableGeometry().center() - rect().center());
    // Glyphs of their own where the desktop has no icon theme.
    const std::pair<QAbstractButton*, QStyle::StandardPixmap> glifi[] = {
        {m_ui->BBmem, QStyle::SP_DialogSaveButton},
        {m_ui->BBannulla, QStyle::SP_DialogCancelButton},
        {m_ui->SpeedButton1, QStyle::SP_DialogCloseButton},
    };
    for (const auto& glifo : glifi) {
        if (glifo.first->icon().isNull())
            glifo.first->setIcon(style()->standardIcon(glifo.second));
    }

    m_regole = new contacts::RegoleInserimento(TipoFinestra::ModificaContatto, this);
    const std::pair<QLineEdit*, Campo> campi[] = {
        {m_ui->EDTnome, Campo::Nome},
        {m_ui->EDTcognome, Campo::Cognome},
        {m_ui->EDTnumero, Campo::Numero},
        {m_ui->EDTmail, Campo::Mail},
    };
    for (const auto& coppia : campi) {
        QLineEdit* edit = coppia.first;
        contacts::EventiCampo* eventi = m_regole->aggiungi(edit, coppia.second);
        connect(eventi, &contacts::EventiCampo::entrato, this,
                [this, edit] { EDTcognomeEnter(edit); });
        if (m_tbl.active()) {
            if (const engine::Field* f = m_tbl.findField(campoDi(edit)); f && f->size() > 0)
                edit->setMaxLength(f->size());
        }
        connect(edit, &QLineEdit::textEdited, this,
                [this, edit](const QString& text) { scriviCampo(edit, text); });
    }
    connect(m_regole->eventi(m_ui->EDTnome), &contacts::EventiCampo::uscito, this,
            &TFrmModifica::EDTnomeExit);
    connect(m_regole->eventi(m_ui->EDTcognome), &contacts::EventiCampo::uscito, this,
            &TFrmModifica::EDTcognomeExit);
    connect(m_regole->eventi(m_ui->EDTmail), &contacts::EventiCampo::uscito, this,
            &TFrmModifica::EDTmailExit);
    m_regole->eventi(m_ui->EDTnome)->setKeyPress([this](QChar& key) { EDTnomeKeyPress(key); });
    m_regole->eventi(m_ui->EDTcognome)->setKeyPress([this](QChar& key) {
        EDTcognomeKeyPress(key);
    });
    m_regole->eventi(m_ui->EDTnumero)->setKeyPress([this](QChar& key) { EDTnumeroKeyPress(key); });
    new contacts::AttivazioneFinestra(this, [this] { FormActivate(); });

    connect(&m_tbl, &engine::DataSet::currentChanged, this, &TFrmModifica::mostraRecord);
    connect(&m_tbl, &engine::DataSet::stateChanged, this, &TFrmModifica::mostraRecord);
    connect(&m_tbl, &engine::DataSet::reset, this, &TFrmModifica::mostraRecord);

    connect(m_ui->BBmem, &QPushButton::clicked, this, &TFrmModifica::BBmemClick);
    connect(m_ui->BBannulla, &QPushButton::clicked, this, &TFrmModifica::BBannullaClick);
    connect(m_ui->SpeedButton1, &QToolButton::clicked, this, &TFrmModifica::SpeedButton1Click);
    mostraRecord();
}

TFrmModifica::~TFrmModifica() = default;

QString TFrmModifica::campoDi(const QLineEdit* edit) const
{
    if (edit == m_ui->EDTnome)
        return QStringLiteral("Nome");
    if (edit == m_ui->EDTcognome)
        return QStringLiteral("Cognome");
    if (edit == m_ui->EDTnumero)
        return QStringLiteral("Numero");
    return QStringLiteral("Mail");
}

bool TFrmModifica::inModifica() const
{
    return m_tbl.state() == engine::DataSet::State::Edit ||
           m_tbl.state() == engine::DataSet::State::Insert;
}

// The bound edits show the current record's fields.
void TFrmModifica::mostraRecord()
{
    for (QLineEdit* edit : {m_ui->EDTnome, m_ui->EDTcognome, m_ui->EDTnumero, m_ui->EDTmail}) {
        QString valore;
        if (m_tbl.active() && !(m_tbl.state() == engine::DataSet::State::Browse && m_tbl.isEmpty()))
            valore = m_tbl.fieldByName(campoDi(edit)).asString();
        if (edit->text() != valore)
            edit->setText(valore);
    }
}

// What is typed goes into the record buffer; the first change puts the record into editing.
void TFrmModifica::scriviCampo(QLineEdit* edit, const QString& text)
{
    if (!m_tbl.active())
        return;
    if (!inModifica()) {
        if (m_tbl.isEmpty())
            return; // no record to change: editing would begin a new one
        m_tbl.edit();
    }
    m_tbl.fieldByName(campoDi(edit)).setValue(text);
}

void TFrmModifica::FormActivate()
{
    // An empty selection has no record to edit: beginning to edit would start a new one.
    if (m_tbl.active() && !inModifica() && !m_tbl.isEmpty())
        m_tbl.edit();
    m_ui->BBmem->setFocus(Qt::OtherFocusReason);
}

void TFrmModifica::EDTcognomeEnter(QLineEdit* sender)
{
    if (!m_tbl.active())
        return;
    if (m_tbl.state() != engine::DataSet::State::Insert) {
        if (m_tbl.state() != engine::DataSet::State::Edit) {
            if (m_tbl.isEmpty())
                return;
            m_tbl.edit();
        }
    }
    if (sender != m_ui->EDTnumero)
        m_tbl.fieldByName(campoDi(sender)).setValue(QString());
}

void TFrmModifica::EDTnomeExit()
{
    m_regole->regolaNome(m_ui->EDTnome);
}

void TFrmModifica::EDTcognomeExit()
{
    m_regole->regolaNome(m_ui->EDTcognome);
}

void TFrmModifica::EDTmailExit()
{
    m_regole->regolaMail(m_ui->EDTmail);
}

void TFrmModifica::EDTnomeKeyPress(QChar& key)
{
    key = contacts::FiltraTasto(TipoFinestra::ModificaContatto, Campo::Nome, key);
}

void TFrmModifica::EDTcognomeKeyPress(QChar& key)
{
    key = contacts::FiltraTasto(TipoFinestra::ModificaContatto, Campo::Cognome, key);
}

void TFrmModifica::EDTnumeroKeyPress(QChar& key)
{
    key = contacts::FiltraTasto(TipoFinestra::ModificaContatto, Campo::Numero, key);
}

void TFrmModifica::BBmemClick()
{
    try {
        if (inModifica())
            m_tbl.post();
        MostraMessaggio(QStringLiteral("Modifica Eseguita"));
    } catch (const zr::Error&) {
        MostraErrore(
            QStringLiteral("Impossibile eseguire la modifica, l'accesso all'archivio è bloccato!"));
        return;
    }
    close();
}

void TFrmModifica::BBannullaClick()
{
    if (inModifica())
        m_tbl.cancel();
    mostraRecord();
}

void TFrmModifica::SpeedButton1Click()
{
    BBannullaClick();
    close();
}

void TFrmModifica::FormClose()
{
    // Whatever way the window is closed, changes that were not stored are dropped, as "Esci"
    // does: the search window's cursor must not stay in editing behind it.
    if (m_tbl.active() && inModifica())
        m_tbl.cancel();
    m_frmCanc->AzzeraRicerca();
}

void TFrmModifica::done(int result)
{
    FormClose();
    QDialog::done(result);
}
