#include "contacts/TfrmStampe.h"

#include "contacts/TfrmQuickStampa.h"
#include "engine/DataSet.h"
#include "engine/Error.h"
#include "shell/Artwork.h"
#include "shell/Fx.h"
#include "ui_TfrmStampe.h"

#include <QGuiApplication>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <memory>

namespace {

QRadioButton* voce(Ui::TfrmStampe* ui, int ordine)
{
    switch (ordine) {
    case TfrmStampe::PerNome:
        return ui->rbNome;
    case TfrmStampe::PerCognome:
        return ui->rbCognome;
    case TfrmStampe::PerMail:
        return ui->rbMail;
    default:
        return ui->rbCodice;
    }
}

} // namespace

TfrmStampe::TfrmStampe(QWidget* owner) : QDialog(owner), ui(new Ui::TfrmStampe)
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("frmStampe"));
    setFixedSize(268, 187);
    if (const QScreen* schermo = QGuiApplication::primaryScreen()) {
        QRect r = rect();
        r.moveCenter(schermo->availableGeometry().center());
        move(r.topLeft());
    }
    ui->BTSstampa->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    ui->BTSesci->setIcon(artwork::exitGlyph());
    connect(ui->BTSstampa, &QPushButton::clicked, this, &TfrmStampe::BTSstampaClick);
    connect(ui->BTSesci, &QPushButton::clicked, this, &TfrmStampe::BTSesciClick);
}

TfrmStampe::~TfrmStampe()
{
    delete ui;
}

int TfrmStampe::ordine() const
{
    for (int i = PerCodice; i <= PerMail; ++i) {
        if (voce(ui, i)->isChecked())
            return i;
    }
    return -1;
}

void TfrmStampe::setOrdine(int ordine)
{
    voce(ui, ordine)->setChecked(true);
}

bool TfrmStampe::mostraData() const
{
    return ui->cbMostraData->isChecked();
}

QString TfrmStampe::TestoQuery(int ordine)
{
    switch (ordine) {
    case PerNome:
        return QStringLiteral("select * from rubry.db order by nome");
    case PerCognome:
        return QStringLiteral("select * from rubry.db order by cognome");
    case PerMail:
        return QStringLiteral("select * from rubry.db order by mail");
    default:
        return QStringLiteral("select * from rubry.db");
    }
}

void TfrmStampe::ImpostaReport()
{
    if (!frmQuickStampa)
        frmQuickStampa = new TfrmQuickStampa(parent());
    frmQuickStampa->QueryStampa->setSql(TestoQuery(ordine()));
    frmQuickStampa->MostraData = mostraData();
}

void TfrmStampe::BTSstampaClick()
{
    try {
        ImpostaReport();
        frmQuickStampa->Preview(this);
    } catch (const std::exception&) {
        MostraErrore(
            QStringLiteral("Errore irreversibile in fase di stampa contattare Zentor Zudizeveda."));
        delete frmQuickStampa;
        frmQuickStampa = nullptr;
    }
}

void TfrmStampe::BTSesciClick()
{
    close();
}

void StampaArchivio(QWidget* owner)
{
    std::unique_ptr<TfrmStampe> selezione(new TfrmStampe(owner));
    frmQuickStampa = new TfrmQuickStampa(owner);
    struct Rilascio
    {
        ~Rilascio()
        {
            delete frmQuickStampa;
            frmQuickStampa = nullptr;
        }
    } rilascio;
    selezione->exec();
}
