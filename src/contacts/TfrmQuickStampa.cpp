#include "contacts/TfrmQuickStampa.h"

#include "engine/DataSet.h"
#include "engine/Error.h"
#include "shell/Fx.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>

TfrmQuickStampa* frmQuickStampa = nullptr;

namespace {

// The page, in millimetres from the paper's edge or from a band's top left corner.
constexpr double kMargine = 10.0;
constexpr double kAltezzaCarta = 297.0;
constexpr double kLarghezzaBanda = 210.0 - 2 * kMargine;

constexpr double kAltezzaTitolo = 9.3;    // QRBand1
constexpr double kAltezzaColonne = 8.5;   // QRBand2
constexpr double kAltezzaDettaglio = 6.1; // QRBand3
constexpr double kAltezzaValore = 4.5;    // one printed line of a detail value
constexpr double kTopEtichette = 2.1;
constexpr double kTopValori = 0.8;

struct Colonna
{
    double left;
    double width;
    const char* titolo;
};
// Surname, name, number, e-mail.
constexpr Colonna kColonne[4] = {
    {0.8, 36.2, "Cognome"},
    {38.1, 41.5, "Nome"},
    {82.6, 49.5, "Numero telefonico"},
    {135.5, 52.4, "Indirizzo Posta elettronica"},
};

QFont carattere(const char* famiglia, double punti, bool grassetto)
{
    QFont f(QString::fromLatin1(famiglia));
    f.setPointSizeF(punti);
    f.setBold(grassetto);
    return f;
}

// Millimetres from the paper's edge to device coordinates of the painter.
class Foglio
{
public:
    Foglio(QPainter& p, QPagedPaintDevice* device) : m_p(p)
    {
        const QRectF area = device->pageLayout().paintRect(QPageLayout::Millimeter);
        m_ox = area.left();
        m_oy = area.top();
        m_kx = device->logicalDpiX() / 25.4;
        m_ky = device->logicalDpiY() / 25.4;
    }
    QPointF punto(double x, double y) const { return {(x - m_ox) * m_kx, (y - m_oy) * m_ky}; }
    QRectF riquadro(double x, double y, double w, double h) const
    {
        return QRectF(punto(x, y), QSizeF(w * m_kx, h * m_ky));
    }
    double larghezza(double mm) const { return mm * m_kx; }

    // A label sized to its text.
    void etichetta(double x, double y, const QString& testo)
    {
        if (testo.isEmpty())
            return;
        m_p.drawText(riquadro(x, y, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, testo);
    }
    // A value in a box of fixed width and one line: what does not fit is cut at the box.
    void valore(double x, double y, double w, const QString& testo)
    {
        const QFontMetricsF fm(m_p.font(), m_p.device());
        const double massimo = larghezza(w);
        QString visibile = testo;
        if (fm.horizontalAdvance(visibile) > massimo) {
            qsizetype n = visibile.size();
            while (n > 0 && fm.horizontalAdvance(visibile.left(n)) > massimo)
                --n;
            visibile.truncate(n);
        }
        m_p.drawText(riquadro(x, y, w, kAltezzaValore),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip,
                     visibile);
    }

    QPainter& p() { return m_p; }

private:
    QPainter& m_p;
    double m_ox = 0, m_oy = 0, m_kx = 1, m_ky = 1;
};

void bandaTitolo(Foglio& f, double top, const QString& dataOra)
{
    f.p().setFont(carattere("Verdana", 7, false));
    f.etichetta(kMargine + 2.9, top + 0.5, QString()); // QRLabel6
    f.etichetta(kMargine + 2.9, top + 4.8,
                QStringLiteral("E-mail: ") + QString::fromLatin1(ZR_MAKER_SUPPORT)); // QRLabel7
    f.p().setFont(carattere("Arial", 10, true));
    f.etichetta(kMargine + 155.6, top + 3.7, dataOra); // QRSysData1
}

void bandaColonne(Foglio& f, double top)
{
    f.p().setFont(carattere("Tahoma", 10, true));
    for (const Colonna& c : kColonne)
        f.etichetta(kMargine + c.left, top + kTopEtichette, QString::fromLatin1(c.titolo));
    const double fondo = top + kAltezzaColonne;
    QPen penna(Qt::black);
    penna.setWidthF(f.larghezza(0.25));
    f.p().setPen(penna);
    f.p().drawLine(f.punto(kMargine, fondo), f.punto(kMargine + kLarghezzaBanda, fondo));
    f.p().setPen(QPen(Qt::black));
}

void bandaDettaglio(Foglio& f, double top, const TfrmQuickStampa::Riga& r)
{
    f.p().setFont(carattere("Tahoma", 10, false));
    const QString* valori[4] = {&r.cognome, &r.nome, &r.numero, &r.mail};
    for (int i = 0; i < 4; ++i)
        f.valore(kMargine + kColonne[i].left, top + kTopValori, kColonne[i].width, *valori[i]);
}

void intestazionePagina(Foglio& f)
{
    f.p().setFont(carattere("Tahoma", 20, true));
    f.p().drawText(f.riquadro(73.0, 10.6, 56.9, 9.0),
                   Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip,
                   QStringLiteral("Archivio rubrica")); // QRLabel1
}

} // namespace

TfrmQuickStampa::TfrmQuickStampa(QObject* owner)
    : QObject(owner), QueryStampa(new engine::Query(this))
{
    setObjectName(QStringLiteral("frmQuickStampa"));
    QueryStampa->setObjectName(QStringLiteral("QueryStampa"));
    QueryStampa->setDatabaseName(PercorsoProgramma());
    QueryStampa->setSql(QStringLiteral("select * from rubry.db"));
}

TfrmQuickStampa::~TfrmQuickStampa() = default;

QString TfrmQuickStampa::titolo()
{
    return QStringLiteral("Anteprima di stampa");
}

void TfrmQuickStampa::QuickReport7BeforePrint()
{
    m_righe.clear();
    QueryStampa->open();
    engine::Field& cognome = QueryStampa->fieldByName(QStringLiteral("Cognome"));
    engine::Field& nome = QueryStampa->fieldByName(QStringLiteral("Nome"));
    engine::Field& numero = QueryStampa->fieldByName(QStringLiteral("Numero"));
    engine::Field& mail = QueryStampa->fieldByName(QStringLiteral("Mail"));
    for (QueryStampa->first(); !QueryStampa->eof(); QueryStampa->next())
        m_righe.append({cognome.asString(), nome.asString(), numero.asString(), mail.asString()});
}

void TfrmQuickStampa::QuickReport7AfterPrint()
{
    QueryStampa->close();
}

void TfrmQuickStampa::QRSysData1Print(QString& text)
{
    if (!MostraData)
        text.clear();
}

QString TfrmQuickStampa::testoDataOra()
{
    const QDateTime ora = m_ora.isValid() ? m_ora : QDateTime::currentDateTime();
    QString testo = ora.toString(QStringLiteral("dd/MM/yyyy hh:mm:ss"));
    QRSysData1Print(testo);
    return testo;
}

void TfrmQuickStampa::ImpostaPagina(QPagedPaintDevice* device)
{
    const QPageLayout pagina(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                             QMarginsF(kMargine, kMargine, kMargine, kMargine),
                             QPageLayout::Millimeter);
    if (!device->setPageLayout(pagina))
        throw zr::Error(QStringLiteral("Impossibile impostare la pagina di stampa."));
}

void TfrmQuickStampa::DisegnaPagine(QPagedPaintDevice* device, const QList<Riga>& righe,
                                    const QString& dataOra)
{
    QPainter painter;
    if (!painter.begin(device))
        throw zr::Error(QStringLiteral("Impossibile avviare la stampa."));
    Foglio foglio(painter, device);
    const double fondoPagina = kAltezzaCarta - kMargine + 1e-6;

    intestazionePagina(foglio);
    double y = kMargine;
    bandaTitolo(foglio, y, dataOra);
    y += kAltezzaTitolo;
    bandaColonne(foglio, y);
    y += kAltezzaColonne;
    for (const Riga& r : righe) {
        if (y + kAltezzaDettaglio > fondoPagina) {
            if (!device->newPage()) {
                painter.end();
                throw zr::Error(QStringLiteral("Impossibile avviare una nuova pagina."));
            }
            intestazionePagina(foglio);
            y = kMargine;
            bandaColonne(foglio, y);
            y += kAltezzaColonne;
        }
        bandaDettaglio(foglio, y, r);
        y += kAltezzaDettaglio;
    }
    if (!painter.end())
        throw zr::Error(QStringLiteral("Impossibile completare la stampa."));
}

void TfrmQuickStampa::leggiRighe()
{
    try {
        QuickReport7BeforePrint();
    } catch (...) {
        QueryStampa->close();
        throw;
    }
    QuickReport7AfterPrint();
}

void TfrmQuickStampa::Produci(QPagedPaintDevice* device)
{
    ImpostaPagina(device);
    leggiRighe();
    DisegnaPagine(device, m_righe, testoDataOra());
}

void TfrmQuickStampa::Preview(QWidget* parent)
{
    // The records are read once, with the query open only while the report is produced;
    // the preview repaints and prints from them.
    leggiRighe();
    const QString dataOra = testoDataOra();

    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(titolo());
    ImpostaPagina(&printer);
    QPrintPreviewDialog anteprima(&printer, parent);
    anteprima.setWindowTitle(titolo());
    if (auto* pagine = anteprima.findChild<QPrintPreviewWidget*>()) {
        pagine->setZoomMode(QPrintPreviewWidget::CustomZoom);
        pagine->setZoomFactor(1.0); // 100 %
    }
    QString errore;
    connect(&anteprima, &QPrintPreviewDialog::paintRequested, this, [&](QPrinter* p) {
        try {
            ImpostaPagina(p);
            DisegnaPagine(p, m_righe, dataOra);
        } catch (const zr::Error& e) {
            errore = e.message();
            QMetaObject::invokeMethod(&anteprima, &QDialog::reject, Qt::QueuedConnection);
        }
    });
    anteprima.exec();
    if (!errore.isEmpty())
        throw zr::Error(errore);
}
