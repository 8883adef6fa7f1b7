#include "contacts/TFrmVisSel.h"

#include "contacts/RegoleInserimento.h"
#include "engine/DataSet.h"
#include "platform/Desktop.h"
#include "shell/Fx.h"
#include "ui_TFrmVisSel.h"

#include <QApplication>
#include <QButtonGroup>
#include <QMouseEvent>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>

TFrmVisSel::TFrmVisSel(QWidget* owner) : QDialog(owner), ui(std::make_unique<Ui::TFrmVisSel>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(308, 199);

    // Blue background; the panels keep the ordinary colour, the order choice is white.
    QPalette blu = palette();
    blu.setColor(QPalette::Window, QColor(0, 0, 255));
    setPalette(blu);
    setAutoFillBackground(true);
    const QPalette normale = QApplication::palette();
    for (QWidget* panel : {static_cast<QWidget*>(ui->Panel1), static_cast<QWidget*>(ui->Panel2),
                           static_cast<QWidget*>(ui->Panel3), static_cast<QWidget*>(ui->Panel5)}) {
        QPalette pal = panel->palette();
        pal.setColor(QPalette::Window, normale.color(QPalette::Window));
        pal.setColor(QPalette::WindowText, normale.color(QPalette::WindowText));
        panel->setPalette(pal);
    }
    // The flat arrows on a light square, so that they stand out on the blue.
    for (QToolButton* freccia : {ui->BTSback, ui->BTSnext}) {
        QPalette pal = freccia->palette();
        pal.setColor(QPalette::Window, normale.color(QPalette::Button));
        pal.setColor(QPalette::ButtonText, normale.color(QPalette::ButtonText));
        freccia->setPalette(pal);
        freccia->setAutoFillBackground(true);
    }
    QPalette bianco = blu;
    bianco.setColor(QPalette::WindowText, Qt::white);
    bianco.setColor(QPalette::ButtonText, Qt::white);
    bianco.setColor(QPalette::Text, Qt::white);
    ui->rgOrdina->setPalette(bianco);

    // The e-mail label: blue, underlined, a hand cursor; before the first contact it shows
    // the maker's support address.
    QFont f = ui->LabMail->font();
    f.setUnderline(true);
    ui->LabMail->setFont(f);
    QPalette link = ui->LabMail->palette();
    link.setColor(QPalette::WindowText, QColor(0, 0, 255));
    ui->LabMail->setPalette(link);
    ui->LabMail->setCursor(Qt::PointingHandCursor);
    ui->LabMail->setText(QString::fromUtf8(ZR_MAKER_SUPPORT));
    ui->LabMail->installEventFilter(this);

    ui->BTMann->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    QFont fixed = ui->EDTnome->font();
    fixed.setStyleHint(QFont::TypeWriter);
    ui->EDTnome->setFont(fixed);
    ui->EDTcognome->setFont(fixed);

    m_query = new engine::Query(this);
    m_query->setObjectName(QStringLiteral("QueryRead"));
    m_query->setSql(testoQuery(-1));

    // Only a change of the chosen item counts, as with a radio group.
    auto* gruppo = new QButtonGroup(this);
    gruppo->addButton(ui->rbOrdinaNome, 0);
    gruppo->addButton(ui->rbOrdinaCognome, 1);
    connect(gruppo, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            rgOrdinaClick();
    });
    connect(ui->BTSnext, &QToolButton::clicked, this, &TFrmVisSel::BTSnextClick);
    connect(ui->BTSback, &QToolButton::clicked, this, &TFrmVisSel::BTSbackClick);
    connect(ui->BTMann, &QPushButton::clicked, this, &TFrmVisSel::BTMannClick);

    new contacts::AttivazioneFinestra(this, [this] { FormActivate(); });
}

TFrmVisSel::~TFrmVisSel() = default;

void TFrmVisSel::Esegui(QWidget* owner)
{
    TFrmVisSel frm(owner);
    frm.exec();
}

void TFrmVisSel::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        if (QScreen* s = screen())
            move(s->availableGeometry().center() - rect().center());
    }
    QDialog::showEvent(event);
}

bool TFrmVisSel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->LabMail && event->type() == QEvent::MouseButtonRelease) {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() == Qt::LeftButton &&
            ui->LabMail->rect().contains(me->position().toPoint())) {
            LabMailClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

int TFrmVisSel::ordine() const
{
    if (ui->rbOrdinaNome->isChecked())
        return 0;
    if (ui->rbOrdinaCognome->isChecked())
        return 1;
    return -1;
}

QString TFrmVisSel::testoQuery(int ordine)
{
    switch (ordine) {
    case 0:
        return QStringLiteral("select * from rubry.db order by nome");
    case 1:
        return QStringLiteral("select * from rubry.db order by cognome");
    default:
        return QStringLiteral("select * from rubry.db order by numid");
    }
}

QString TFrmVisSel::campo(const char* name)
{
    // On an empty result every field reads as empty.
    if (!m_query->active() || m_query->isEmpty())
        return QString();
    return m_query->fieldByName(QString::fromLatin1(name)).asString();
}

void TFrmVisSel::MostraContatto()
{
    ui->PANid->setText(campo("NumID"));
    ui->EDTnome->setText(campo("NOME"));
    ui->EDTcognome->setText(campo("COGNOME"));
    ui->PANnum->setText(campo("NUMERO"));
    ui->LabMail->setText(campo("MAIL"));
}

namespace {

// Errors the window does not handle reach the default error report with their own text.
void riporta(const std::exception& e)
{
    const auto* err = dynamic_cast<const zr::Error*>(&e);
    platform::reportError(err ? err->message() : QString::fromLocal8Bit(e.what()));
}

template <typename F> void protetto(F&& body)
{
    try {
        body();
    } catch (const std::exception& e) {
        riporta(e);
    }
}

} // namespace

bool TFrmVisSel::apriQuery()
{
    try {
        m_query->close();
        m_query->open();
        return true;
    } catch (const std::exception& e) {
        // Reported like any error nobody handles; the arrows are switched off so that they
        // do not run into the same error again.
        ui->BTSback->setEnabled(false);
        ui->BTSnext->setEnabled(false);
        riporta(e);
        return false;
    }
}

void TFrmVisSel::FormActivate()
{
    protetto([&] {
        if (!apriQuery())
            return;
        if (!m_query->isEmpty()) {
            m_query->first();
            MostraContatto();
        } else {
            ui->BTSback->setEnabled(false);
            ui->BTSnext->setEnabled(false);
            ui->PANnum->setText(QStringLiteral("0 contatti!"));
        }
    });
}

void TFrmVisSel::BTSnextClick()
{
    protetto([&] {
        if (ui->BTSnext->isEnabled())
            ui->BTSback->setEnabled(true);
        if (!m_query->active())
            return;
        if (!m_query->isEmpty())
            m_query->next();
        MostraContatto();
        if (m_query->recNo() == m_query->recordCount())
            ui->BTSnext->setEnabled(false);
    });
}

void TFrmVisSel::BTSbackClick()
{
    protetto([&] {
        if (ui->BTSback->isEnabled())
            ui->BTSnext->setEnabled(true);
        if (!m_query->active())
            return;
        if (!m_query->isEmpty())
            m_query->prior();
        MostraContatto();
        if (m_query->recNo() == 1)
            ui->BTSback->setEnabled(false);
    });
}

void TFrmVisSel::rgOrdinaClick()
{
    protetto([&] {
        m_query->close();
        m_query->setSql(testoQuery(ordine()));
        if (!apriQuery())
            return;
        if (!m_query->isEmpty())
            m_query->first();
        MostraContatto();
        BTSbackClick();
    });
}

void TFrmVisSel::LabMailClick()
{
    InviaMail(ui->LabMail->text(), QStringLiteral("Invio mail tramite Zentor_Rubrica"), QString());
}

void TFrmVisSel::BTMannClick()
{
    close();
}
