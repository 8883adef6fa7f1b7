#pragma once
// The print selection window: the order of the printed contact list and whether the date
// and time are printed; "Anteprima" sets up the shared report frmQuickStampa and opens its
// preview. The window stays open so another order can be previewed.

#include <QDialog>
#include <QString>

namespace Ui {
class TfrmStampe;
}

class TfrmStampe : public QDialog
{
    Q_OBJECT
public:
    // Orders of rgOrdinaPer, in the order of its items.
    enum Ordine { PerCodice, PerNome, PerCognome, PerMail };

    explicit TfrmStampe(QWidget* owner = nullptr);
    ~TfrmStampe() override;

    // The chosen item of rgOrdinaPer (its item index) and the tick of cbMostraData.
    int ordine() const;
    void setOrdine(int ordine);
    bool mostraData() const;

    // Query text of the report for an order.
    static QString TestoQuery(int ordine);

    // Steps before the preview: the report's query text and its MostraData flag. Makes a
    // new report when there is none (a failed preview releases it).
    void ImpostaReport();

public Q_SLOTS:
    void BTSstampaClick();
    void BTSesciClick();

private:
    Ui::TfrmStampe* ui;
};

// The main menu's "Stampa archivio": creates the selection window and the report (both
// owned by owner), shows the selection window modally, then releases the report and the
// window.
void StampaArchivio(QWidget* owner);
