#pragma once
// The printed contact list: a report over the query QueryStampa, one contact per line,
// on A4 portrait paper with 10 mm margins. The print selection window (TfrmStampe) sets
// the query text and MostraData, then opens the preview, from which the user prints,
// pages and saves as PDF.

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>

class QPagedPaintDevice;
class QWidget;

namespace engine {
class Query;
}

class TfrmQuickStampa : public QObject
{
    Q_OBJECT
public:
    explicit TfrmQuickStampa(QObject* owner = nullptr);
    ~TfrmQuickStampa() override;

    // The report's data set; its text is set by the selection window.
    engine::Query* QueryStampa;
    // Print the date and time in the title band.
    bool MostraData = true;

    // Caption of the preview window.
    static QString titolo();

    // Produces the report and shows it in the print preview; returns when the preview is
    // closed. Raises zr::Error when the report cannot be produced.
    void Preview(QWidget* parent);

    // Produces the report onto a paged device (printer, PDF writer): the page is set to
    // A4 portrait with 10 mm margins, the query is opened, every page painted and the
    // query closed. Raises zr::Error on failure.
    void Produci(QPagedPaintDevice* device);

    // Report events.
    void QuickReport7BeforePrint();      // opens QueryStampa and reads its records
    void QuickReport7AfterPrint();       // closes QueryStampa
    void QRSysData1Print(QString& text); // empties the date and time unless MostraData

    // Time printed in the title band; the current time when not set.
    void setOra(const QDateTime& ora) { m_ora = ora; }

    struct Riga
    {
        QString cognome;
        QString nome;
        QString numero;
        QString mail;
    };

    // Paints the pages of rows onto a device whose page layout is already set; positions
    // are taken from the paper's edge whatever the device's margins. Raises zr::Error
    // when the device cannot be painted on.
    static void DisegnaPagine(QPagedPaintDevice* device, const QList<Riga>& righe,
                              const QString& dataOra);
    // Sets the report's page on a device: A4 portrait, 10 mm margins.
    static void ImpostaPagina(QPagedPaintDevice* device);

private:
    QString testoDataOra();
    void leggiRighe();

    QList<Riga> m_righe;
    QDateTime m_ora;
};

// The report shared by the main window's print command and the selection window.
extern TfrmQuickStampa* frmQuickStampa;
