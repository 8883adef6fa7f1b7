#pragma once
// The browse window: the contacts one at a time, like cards, in order of number, name or
// surname; a click on the e-mail address writes to the contact. It only reads.
// Created per use with the main window as owner, shown modally, destroyed on closing:
//     TFrmVisSel::Esegui(owner);

#include <QDialog>
#include <memory>

namespace engine {
class Query;
}
namespace Ui {
class TFrmVisSel;
}

class TFrmVisSel : public QDialog
{
    Q_OBJECT
public:
    explicit TFrmVisSel(QWidget* owner = nullptr);
    ~TFrmVisSel() override;

    // Creates the window owned by `owner`, runs it modally and destroys it.
    static void Esegui(QWidget* owner);

    // Copies the current record of QueryRead into the display.
    void MostraContatto();

    // The chosen item of rgOrdina: -1 none, 0 "Ordina per nome", 1 "Ordina per cognome".
    int ordine() const;
    static QString testoQuery(int ordine);

    engine::Query* queryRead() const { return m_query; }

public Q_SLOTS:
    void FormActivate();
    void BTSnextClick();
    void BTSbackClick();
    void rgOrdinaClick();
    void LabMailClick();
    void BTMannClick();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool apriQuery();
    QString campo(const char* name);

    std::unique_ptr<Ui::TFrmVisSel> ui;
    engine::Query* m_query = nullptr;
};
