#include "services/TFrmAbout.h"
#include "ui_TFrmAbout.h"

#include "services/Maker.h"
#include "shell/Application.h"
#include "shell/Artwork.h"
#include "shell/Fx.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>

TFrmAbout* FrmAbout = nullptr;

TFrmAbout::TFrmAbout(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::FrmAbout>())
{
    FrmAbout = this;
    ui->setupUi(this);
    setFont(shell::formFont());
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_QuitOnClose, false);
    setFixedSize(266, 329);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    // Silver panels, blue texts.
    for (QFrame* panel : {ui->Panel1, ui->Panel2}) {
        QPalette palette = panel->palette();
        palette.setColor(QPalette::Window, QColor(0xc0, 0xc0, 0xc0));
        palette.setColor(QPalette::WindowText, Qt::blue);
        panel->setPalette(palette);
        panel->setAutoFillBackground(true);
    }
    QFont name = ui->LabelPrg->font();
    name.setFamilies(shell::families(QStringLiteral("Comic Sans MS")));
    ui->LabelPrg->setFont(name);
    for (QLabel* link : {ui->lblLink, ui->Label13}) {
        QFont f = link->font();
        f.setFamilies(shell::families(QStringLiteral("Tahoma")));
        link->setFont(f);
        link->installEventFilter(this);
    }
    ui->lblLink->setText(SitoProduttore());
    ui->Label13->setText(SupportoProduttore());
    ui->Image1->setPixmap(artwork::logo(ui->Image1->size()));
    ui->sbEsci->setIcon(artwork::exitGlyph());

    connect(ui->sbEsci, &QToolButton::clicked, this, shell::guard([this] { sbEsciClick(); }));
}

TFrmAbout::~TFrmAbout()
{
    if (FrmAbout == this)
        FrmAbout = nullptr;
}

void TFrmAbout::sbEsciClick()
{
    close();
}

void TFrmAbout::lblLinkClick()
{
    ApriDocumento(SitoProduttore());
}

void TFrmAbout::Label13Click()
{
    InviaMail(SupportoProduttore(),
              QStringLiteral("Inf: ") + ui->LabelPrg->text() + QStringLiteral(", ") +
                  ui->LabelVers->text(),
              QStringLiteral("Vorrei ricevere informazioni in più per quanto riguarda:"));
}

bool TFrmAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == ui->lblLink) {
            shell::guarded([this] { lblLinkClick(); });
            return true;
        }
        if (watched == ui->Label13) {
            shell::guarded([this] { Label13Click(); });
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

QString NomeProgramma()
{
    return FrmAbout ? FrmAbout->ui->LabelPrg->text() : QString();
}

QString VersioneProgramma()
{
    return FrmAbout ? FrmAbout->ui->LabelVers->text() : QString();
}

#include "moc_TFrmAbout.cpp"
