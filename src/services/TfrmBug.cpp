#include "services/TfrmBug.h"
#include "ui_TfrmBug.h"

#include "services/Maker.h"
#include "services/TFrmAbout.h"
#include "shell/Application.h"
#include "shell/Artwork.h"
#include "shell/Fx.h"
#include "shell/Traduci.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>

TfrmBug::TfrmBug(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::frmBug>())
{
    ui->setupUi(this);
    setFont(shell::formFont());
    // Dialog border: title and close only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(296, 144);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    ui->ButSegnala->setIcon(artwork::mailGlyph());
    ui->ButEsci->setIcon(artwork::exitGlyph());
    QFont link = ui->lblLink->font();
    link.setFamilies(shell::families(QStringLiteral("Tahoma")));
    ui->lblLink->setFont(link);
    QPalette palette = ui->lblLink->palette();
    palette.setColor(QPalette::WindowText, Qt::blue);
    ui->lblLink->setPalette(palette);
    ui->lblLink->setText(SitoProduttore());
    ui->lblLink->installEventFilter(this);

    connect(ui->ButSegnala, &QPushButton::clicked, this,
            shell::guard([this] { ButSegnalaClick(); }));
    connect(ui->ButEsci, &QPushButton::clicked, this, shell::guard([this] { ButEsciClick(); }));

    shell::guarded([this] { FormCreate(); });
    // The link sits right after its caption, whatever language that is in.
    ui->Label3->adjustSize();
    ui->lblLink->adjustSize();
    ui->lblLink->move(ui->Label3->geometry().right() + 6, ui->Label3->y());
}

TfrmBug::~TfrmBug() = default;

void TfrmBug::FormCreate()
{
    TraduciForm(this, {QStringLiteral("frmBug"), QStringLiteral("Label4"), QStringLiteral("Label1"),
                       QStringLiteral("Label2"), QStringLiteral("Label3"),
                       QStringLiteral("ButSegnala"), QStringLiteral("ButEsci")});
}

void TfrmBug::ButSegnalaClick()
{
    // Name and version come from the About window, never from this window's (possibly
    // translated) texts.
    InviaMail(SupportoProduttore(),
              QStringLiteral("Bug: ") + NomeProgramma() + QStringLiteral(", ") +
                  VersioneProgramma(),
              QStringLiteral("Di seguito la segnalzione del bug:"));
}

void TfrmBug::ButEsciClick()
{
    close();
}

void TfrmBug::lblLinkClick()
{
    ApriDocumento(SitoProduttore());
}

bool TfrmBug::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->lblLink && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        shell::guarded([this] { lblLinkClick(); });
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

#include "moc_TfrmBug.cpp"
