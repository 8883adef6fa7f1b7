#include "shell/TFrmMain.h"
#include "ui_TFrmMain.h"

#include "platform/Desktop.h"
#include "services/TFrmAbout.h"
#include "services/TfrmBug.h"
#include "shell/Application.h"
#include "shell/Artwork.h"
#include "shell/Avvio.h"
#include "shell/Fx.h"
#include "shell/TfrmStart.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>

TFrmMain* FrmMain = nullptr;

namespace {
constexpr int kClientWidth = 223;
constexpr int kClientHeight = 180;
} // namespace

TFrmMain::TFrmMain(QWidget* parent) : QMainWindow(parent), ui(std::make_unique<Ui::FrmMain>())
{
    FrmMain = this;
    ui->setupUi(this);
    // Fixed border with the system menu and the minimise button only: no maximise, no resize.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    setFont(shell::formFont());
    QFont title = ui->Label1->font();
    title.setFamilies(shell::families(QStringLiteral("Verdana")));
    title.setPixelSize(27);
    ui->Label1->setFont(title);
    // Transparent red captions over the picture.
    for (QLabel* label : {ui->Label1, ui->Label4, ui->Label5, ui->Label7, ui->Label6, ui->Label8,
                          ui->Label9, ui->Label10, ui->Label2, ui->Label3}) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, Qt::red);
        label->setPalette(palette);
        label->setAutoFillBackground(false);
        label->adjustSize();
    }
    ui->Image1->setPixmap(artwork::mainPicture(QSize(kClientWidth, kClientHeight)));
    ui->N1->setText(QString()); // "-" marks the separator in the design
    ui->N1->setSeparator(true);

    const QString csv = QStringLiteral("File di testo (csv) (*.csv)");
    SaveDialog1.filter = csv;
    OpenDialog1.filter = csv;
    // Neither dialog asks before replacing a file or insists on an existing one.
    SaveDialog1.confirmOverwrite = false;
    OpenDialog1.mustExist = false;

    // The client area is 223 x 180 below the menu bar.
    ui->centralwidget->setFixedSize(kClientWidth, kClientHeight);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    layout()->activate();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    const std::pair<QAction*, void (TFrmMain::*)()> handlers[] = {
        {ui->Visualizzaselezione1, &TFrmMain::Visualizzaselezione1Click},
        {ui->Visualizzazionearchivio1, &TFrmMain::Visualizzazionearchivio1Click},
        {ui->Esci1, &TFrmMain::Esci1Click},
        {ui->Aggiunginuovaidentit1, &TFrmMain::Aggiunginuovaidentit1Click},
        {ui->Cancellaidentit1, &TFrmMain::Cancellaidentit1Click},
        {ui->Esportarubricaperoutlook1, &TFrmMain::Esportarubricaperoutlook1Click},
        {ui->Importarubricadioutlook1, &TFrmMain::Importarubricadioutlook1Click},
        {ui->Controllaversione1, &TFrmMain::Controllaversione1Click},
        {ui->Segnalabug1, &TFrmMain::Segnalabug1Click},
        {ui->mnuIndicizza, &TFrmMain::mnuIndicizzaClick},
        {ui->Salvataggiodati1, &TFrmMain::Salvataggiodati1Click},
        {ui->Recuperodati1, &TFrmMain::Recuperodati1Click},
        {ui->InviodatiaZentorProduzione1, &TFrmMain::InviodatiaZentorProduzione1Click},
        {ui->Esportazioneasciiexcel1, &TFrmMain::Esportazioneasciiexcel1Click},
        {ui->Aiuto1, &TFrmMain::Aiuto1Click},
        {ui->About2, &TFrmMain::About2Click},
    };
    for (const auto& [action, handler] : handlers)
        connect(action, &QAction::triggered, this,
                shell::guard([this, h = handler] { (this->*h)(); }));

    shell::guarded([this] { FormCreate(); });
}

TFrmMain::~TFrmMain()
{
    if (FrmMain == this)
        FrmMain = nullptr;
}

void TFrmMain::FormCreate()
{
    // The template table, then the contacts table; an error that escapes reaches the
    // default error report and start-up goes on.
    PreparaTabelle();
}

void TFrmMain::setVisible(bool visible)
{
    // Showing the main window first shows the splash modally; only when it closes is the
    // main window drawn. The splash's timer shows it from inside (a nested call).
    if (visible && !isVisible() && !m_inFormShow) {
        m_inFormShow = true;
        shell::guarded([this] { FormShow(); });
        m_inFormShow = false;
    }
    QMainWindow::setVisible(visible);
}

void TFrmMain::FormShow()
{
    if (frmStart)
        frmStart->exec();
}

QString TFrmMain::RigaRicostruzione(const QString& folder)
{
    QString tool = folder + QStringLiteral("Pdxrbld.exe");
    // A program path with blanks is quoted, or it would be cut at its first blank.
    if (tool.contains(u' ') || tool.contains(u'\t'))
        tool = u'"' + tool + u'"';
    return QStringLiteral("%1 -Q+ -R1 \"/F%2\"").arg(tool, folder);
}

void TFrmMain::esegui(const QString& item)
{
    const auto command = comandi.value(item);
    if (command)
        command(this);
}

void TFrmMain::Visualizzaselezione1Click()
{
    esegui(QStringLiteral("Visualizzaselezione1"));
}

void TFrmMain::Visualizzazionearchivio1Click()
{
    esegui(QStringLiteral("Visualizzazionearchivio1"));
}

void TFrmMain::Esci1Click()
{
    close();
}

void TFrmMain::Aggiunginuovaidentit1Click()
{
    esegui(QStringLiteral("Aggiunginuovaidentit1"));
}

void TFrmMain::Cancellaidentit1Click()
{
    esegui(QStringLiteral("Cancellaidentit1"));
}

void TFrmMain::Esportarubricaperoutlook1Click()
{
    const QString file = platform::desktop().saveFileName(this, SaveDialog1);
    if (!file.isEmpty() && SaveDialog1CanClose)
        SaveDialog1CanClose(file);
}

void TFrmMain::Importarubricadioutlook1Click()
{
    const QString file = platform::desktop().openFileName(this, OpenDialog1);
    if (!file.isEmpty() && OpenDialog1CanClose)
        OpenDialog1CanClose(file);
}

void TFrmMain::Controllaversione1Click()
{
    esegui(QStringLiteral("Controllaversione1"));
}

void TFrmMain::Segnalabug1Click()
{
    ApriModale<TfrmBug>(this);
}

void TFrmMain::mnuIndicizzaClick()
{
    if (!ChiediConferma(QStringLiteral("Confermi l'operazione di reindicizzazione delle tabelle?")))
        return;
    const int code = EseguiEAttendi(RigaRicostruzione(PercorsoProgramma()));
    repaint();
    if (code == -2)
        platform::plainMessage(
            QStringLiteral("Impossibile eseguire il controllo mentre il database è in uso!"));
}

void TFrmMain::Salvataggiodati1Click()
{
    esegui(QStringLiteral("Salvataggiodati1"));
}

void TFrmMain::Recuperodati1Click()
{
    esegui(QStringLiteral("Recuperodati1"));
}

void TFrmMain::InviodatiaZentorProduzione1Click()
{
    esegui(QStringLiteral("InviodatiaZentorProduzione1"));
}

void TFrmMain::Esportazioneasciiexcel1Click()
{
    esegui(QStringLiteral("Esportazioneasciiexcel1"));
}

void TFrmMain::Aiuto1Click()
{
    const QString path = PercorsoProgramma() + QStringLiteral("help.html");
    if (QFileInfo(path).isFile())
        ApriDocumento(path);
    else
        MostraErrore(QStringLiteral("Impossibile aprire la guida, file help.html non trovato"));
}

void TFrmMain::About2Click()
{
    if (FrmAbout)
        FrmAbout->exec();
}

#include "moc_TFrmMain.cpp"
