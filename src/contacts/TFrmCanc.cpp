#include "contacts/TFrmCanc.h"

#include "contacts/RegoleInserimento.h"
#include "contacts/TFrmModifica.h"
#include "platform/Desktop.h"
#include "shell/DataSetModel.h"
#include "shell/Fx.h"
#include "ui_TFrmCanc.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScreen>
#include <QStyle>
#include <QUrl>

namespace {

const QString kOggetto = QStringLiteral("Inserire qui titolo");
const QString kTesto = QStringLiteral("Inserire qui testo");

bool chiedi(const QString& domanda)
{
    return platform::desktop().message({QStringLiteral("Attenzione!"), domanda,
                                        platform::Icon::Warning, platform::Buttons::YesNo}) ==
           platform::Answer::Yes;
}

QByteArray codifica(const QString& valore, const QByteArray& lasciati = {})
{
    return QUrl::toPercentEncoding(valore, lasciati);
}

} // namespace

TFrmCanc::TFrmCanc(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_ui(std::make_unique<Ui::TFrmCanc>())
{
    m_ui->setupUi(this);
    setFixedSize(size());
    if (const QScreen* schermo = QGuiApplication::primaryScreen())
        move(schermo->availableGeometry().center() - rect().center());
    if (m_ui->BBricerca->icon().isNull())
        m_ui->BBricerca->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));

    // The table is opened when the window is shown: at start-up it may not exist yet.
    m_tblAllFx = new engine::Table(QStringLiteral("Rubry.db"), this);
    m_tblAllFx->setObjectName(QStringLiteral("TblAllFx"));
    m_tblAllFx->setFiltered(true);

    m_model = new shell::DataSetModel(m_tblAllFx, this);
    m_model->setObjectName(QStringLiteral("DataSourceC"));
    m_model->setColumns({QStringLiteral("Nome"), QStringLiteral("Cognome"),
                         QStringLiteral("Numero"), QStringLiteral("Mail")});
    m_ui->DBGridC->setModel(m_model);
    m_ui->DBGridC->verticalHeader()->hide();
    // The columns come and go with the table: their widths are set each time.
    connect(m_model, &QAbstractItemModel::modelReset, this, &TFrmCanc::impostaColonne);
    impostaColonne();

    // The grid's current row is the current contact, both ways.
    connect(m_ui->DBGridC->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!m_sincronizzando && current.isValid())
                    m_model->setCurrentRow(current.row());
            });
    connect(m_model, &shell::DataSetModel::currentRowChanged, this, &TFrmCanc::sincronizzaGriglia);
    connect(m_model, &QAbstractItemModel::modelReset, this, &TFrmCanc::sincronizzaGriglia);

    connect(m_ui->cbNome, &QCheckBox::toggled, this, &TFrmCanc::cbNomeClick);
    connect(m_ui->cbCognome, &QCheckBox::toggled, this, &TFrmCanc::cbCognomeClick);
    connect(m_ui->cbNumero, &QCheckBox::toggled, this, &TFrmCanc::cbNumeroClick);
    connect(m_ui->cbMail, &QCheckBox::toggled, this, &TFrmCanc::cbMailClick);
    connect(m_ui->BBricerca, &QPushButton::clicked, this, &TFrmCanc::BBricercaClick);
    connect(m_ui->BBedita, &QPushButton::clicked, this, &TFrmCanc::BBeditaClick);
    connect(m_ui->BBcancella, &QPushButton::clicked, this, &TFrmCanc::BBcancellaClick);
    connect(m_ui->btInvia, &QPushButton::clicked, this, &TFrmCanc::btInviaClick);
    connect(m_ui->BUTIMMback, &QPushButton::clicked, this, &TFrmCanc::BUTIMMbackClick);
    // Shown, or back from the contact edit window; a message box closing does not count.
    new contacts::AttivazioneFinestra(this, [this] { FormActivate(); });
}

TFrmCanc::~TFrmCanc()
{
    // The grid and the cursor go first, while the controls they report to still exist.
    disconnect(m_model, nullptr, this, nullptr);
    m_ui->DBGridC->setModel(nullptr);
    delete m_model;
    delete m_tblAllFx;
}

void TFrmCanc::impostaColonne()
{
    const int larghezze[] = {80, 100, 80, 100};
    for (int c = 0; c < m_model->columnCount() && c < 4; ++c)
        m_ui->DBGridC->setColumnWidth(c, larghezze[c]);
}

// Keeps the grid's current row on the cursor's current record.
void TFrmCanc::sincronizzaGriglia()
{
    if (m_sincronizzando)
        return;
    m_sincronizzando = true;
    QItemSelectionModel* selezione = m_ui->DBGridC->selectionModel();
    const int riga = m_model->currentRow();
    if (riga >= 0 && riga < m_model->rowCount()) {
        selezione->setCurrentIndex(m_model->index(riga, 0),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    } else {
        selezione->clear();
    }
    m_sincronizzando = false;
}

bool TFrmCanc::selezioneVuota()
{
    return !m_tblAllFx->active() || m_tblAllFx->isEmpty();
}

void TFrmCanc::AllineaCriteri()
{
    const std::pair<QCheckBox*, QLineEdit*> criteri[] = {
        {m_ui->cbNome, m_ui->EDTnome},
        {m_ui->cbCognome, m_ui->EDTcognome},
        {m_ui->cbNumero, m_ui->EDTnumero},
        {m_ui->cbMail, m_ui->EDTmail},
    };
    for (const auto& [box, edit] : criteri)
        box->setChecked(edit->isEnabled() && !edit->text().isEmpty());
}

void TFrmCanc::AzzeraRicerca()
{
    m_ui->cbNome->setChecked(true);
    m_ui->cbCognome->setChecked(false);
    m_ui->cbNumero->setChecked(false);
    m_ui->cbMail->setChecked(false);
    m_ui->EDTnome->clear();
    m_ui->EDTcognome->clear();
    m_ui->EDTnumero->clear();
    m_ui->EDTmail->clear();
    AllineaCriteri();
    if (selezioneVuota()) {
        m_ui->BBedita->setEnabled(false);
        m_ui->BBcancella->setEnabled(false);
    }
}

void TFrmCanc::AbilitaPulsanti()
{
    const bool abilita = !selezioneVuota();
    m_ui->BBedita->setEnabled(abilita);
    m_ui->BBcancella->setEnabled(abilita);
}

void TFrmCanc::criterioClick(QCheckBox* box, QLineEdit* edit)
{
    edit->setEnabled(box->isChecked());
    edit->clear();
}

void TFrmCanc::cbNomeClick()
{
    criterioClick(m_ui->cbNome, m_ui->EDTnome);
}

void TFrmCanc::cbCognomeClick()
{
    criterioClick(m_ui->cbCognome, m_ui->EDTcognome);
}

void TFrmCanc::cbNumeroClick()
{
    criterioClick(m_ui->cbNumero, m_ui->EDTnumero);
}

void TFrmCanc::cbMailClick()
{
    criterioClick(m_ui->cbMail, m_ui->EDTmail);
}

void TFrmCanc::FormActivate()
{
    if (!m_tblAllFx->active())
        m_tblAllFx->open();
    AzzeraRicerca();
    m_ui->EDTnome->clear();
    // The selection may have changed while the window was hidden (another window added or
    // removed contacts): the buttons follow what the grid now holds.
    AbilitaPulsanti();
}

void TFrmCanc::BBricercaClick()
{
    AllineaCriteri();
    const std::pair<const char*, QCheckBox*> criteri[] = {
        {"Nome", m_ui->cbNome},
        {"Cognome", m_ui->cbCognome},
        {"Numero", m_ui->cbNumero},
        {"Mail", m_ui->cbMail},
    };
    const QLineEdit* valori[] = {m_ui->EDTnome, m_ui->EDTcognome, m_ui->EDTnumero, m_ui->EDTmail};
    QList<QPair<QString, QString>> termini;
    for (int i = 0; i < 4; ++i) {
        if (criteri[i].second->isChecked())
            termini.append({QString::fromLatin1(criteri[i].first), valori[i]->text()});
    }
    if (!m_tblAllFx->active())
        m_tblAllFx->open();
    // The values are bound, never pasted into a filter text: a surname such as D'Amico is
    // searched as it is written.
    m_tblAllFx->setFilterValues(termini);
    m_tblAllFx->setFiltered(true);
    if (termini.isEmpty()) {
        m_ui->LabTrovati->setText(QStringLiteral("Nessun parametro per eseguire la ricerca."));
    } else {
        m_ui->LabTrovati->setText(QStringLiteral("Trovati : ") +
                                  QString::number(m_tblAllFx->recordCount()) +
                                  QStringLiteral(" contatti!"));
    }
    AbilitaPulsanti();
}

void TFrmCanc::BBeditaClick()
{
    if (selezioneVuota()) {
        // Editing an empty selection would begin a new blank record instead.
        AbilitaPulsanti();
        return;
    }
    const QString domanda = QStringLiteral("Sei sicuro di voler modificare ") +
                            m_tblAllFx->fieldByName(QStringLiteral("Nome")).asString() + u' ' +
                            m_tblAllFx->fieldByName(QStringLiteral("Cognome")).asString() + u'?';
    if (!chiedi(domanda))
        return;
    // Closing it brings this window back: FormActivate runs then.
    TFrmModifica finestra(this);
    finestra.exec();
}

void TFrmCanc::BBcancellaClick()
{
    if (selezioneVuota()) {
        AbilitaPulsanti();
        return;
    }
    try {
        const QString domanda = QStringLiteral("Sei sicuro di voler eliminare ") +
                                m_tblAllFx->fieldByName(QStringLiteral("Nome")).asString() + u' ' +
                                m_tblAllFx->fieldByName(QStringLiteral("Cognome")).asString() +
                                u'?';
        if (chiedi(domanda))
            m_tblAllFx->deleteRecord();
    } catch (const zr::Error&) {
        MostraErrore(
            QStringLiteral("Impossibile eseguire la cancellazione, l'accesso all'archivio è "
                           "bloccato!"));
    }
    // The count keeps the number of the last search; the buttons follow what is left.
    AbilitaPulsanti();
}

QString TFrmCanc::ComponiMailSelezione(const QStringList& indirizzi, bool nascondi)
{
    const QString lista = indirizzi.join(u';');
    const QString destinatari =
        nascondi ? QStringLiteral("?bcc=") + lista : lista + QStringLiteral("?bcc=");
    return QStringLiteral("mailto:") + destinatari + QStringLiteral("&subject=") + kOggetto +
           QStringLiteral("&body=") + kTesto;
}

QUrl TFrmCanc::UrlMailSelezione(const QStringList& indirizzi, bool nascondi)
{
    // Each address is encoded on its own so that a "&", "#" or "?" inside one cannot cut the
    // list; the separators stay as they are.
    QByteArrayList codificati;
    for (const QString& indirizzo : indirizzi)
        codificati << codifica(indirizzo, "@+");
    const QByteArray lista = codificati.join(';');
    QByteArray url = "mailto:";
    if (nascondi)
        url += "?bcc=" + lista;
    else
        url += lista + "?bcc=";
    url += "&subject=" + codifica(kOggetto) + "&body=" + codifica(kTesto);
    return QUrl::fromEncoded(url, QUrl::StrictMode);
}

void TFrmCanc::btInviaClick()
{
    QStringList indirizzi;
    if (m_tblAllFx->active()) {
        // Read through the grid's random access: the cursor, and so the current contact,
        // stays where it is.
        const int colonna = m_tblAllFx->fieldByName(QStringLiteral("Mail")).index();
        const int n = m_tblAllFx->recordCount();
        indirizzi.reserve(n);
        for (int riga = 0; riga < n; ++riga)
            indirizzi << m_tblAllFx->valueAt(riga, colonna).toString();
    }
    if (!platform::desktop().openUrl(UrlMailSelezione(indirizzi, m_ui->cbNascondi->isChecked())))
        MostraErrore(QStringLiteral(
            "Errore in inizializzazione software esterno predefinito per l'invio delle email."));
}

void TFrmCanc::BUTIMMbackClick()
{
    m_tblAllFx->close();
    m_tblAllFx->setFilterValues({});
    m_tblAllFx->open();
    m_ui->LabTrovati->setText(QStringLiteral("Trovati:"));
    close();
}

void TFrmCanc::FormClose()
{
    m_tblAllFx->close();
}

void TFrmCanc::done(int result)
{
    FormClose();
    QDialog::done(result);
}
