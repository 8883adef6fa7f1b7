#include "shell/TfrmStart.h"
#include "ui_TfrmStart.h"

#include "services/Maker.h"
#include "services/TFrmAbout.h"
#include "shell/Application.h"
#include "shell/Artwork.h"
#include "shell/Fx.h"
#include "shell/TFrmMain.h"
#include "shell/Traduci.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>

TfrmStart* frmStart = nullptr;

TfrmStart::TfrmStart(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmStart>()), TimerStart(new QTimer(this))
{
    frmStart = this;
    ui->setupUi(this);
    setFont(shell::formFont());
    // Dialog border without title-bar buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setAttribute(Qt::WA_QuitOnClose, false);
    setFixedSize(280, 317);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    ui->ImageLogo->setPixmap(artwork::logo(ui->ImageLogo->size()));
    ui->ImageLogo->installEventFilter(this);

    TimerStart->setObjectName(QStringLiteral("TimerStart"));
    TimerStart->setInterval(10000);
    connect(TimerStart, &QTimer::timeout, this, shell::guard([this] { TimerStartTimer(); }));

    shell::guarded([this] { FormCreate(); });
}

TfrmStart::~TfrmStart()
{
    if (frmStart == this)
        frmStart = nullptr;
}

void TfrmStart::FormCreate()
{
    setWindowTitle(QStringLiteral("Caricamento ") + NomeProgramma());
    TraduciForm(this, {QStringLiteral("Label1")}, true);
}

void TfrmStart::FormShow()
{
    TimerStart->start();
}

void TfrmStart::TimerStartTimer()
{
    TimerStart->stop();
    if (FrmMain)
        FrmMain->setVisible(true);
    close();
}

void TfrmStart::ImageLogoClick()
{
    ApriDocumento(SitoProduttore());
}

void TfrmStart::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        shell::guarded([this] { FormShow(); });
}

void TfrmStart::keyPressEvent(QKeyEvent* event)
{
    // The splash is closed by its timer only, not by Escape.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TfrmStart::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->ImageLogo && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        shell::guarded([this] { ImageLogoClick(); });
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

#include "moc_TfrmStart.cpp"
