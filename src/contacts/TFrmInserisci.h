#pragma once
// The new-contact window: four edits and "Inserisci" adds one contact to Rubry.Db.
// Created per use with the main window as owner, shown modally, destroyed on closing:
//     TFrmInserisci::Esegui(owner);

#include "contacts/RegoleInserimento.h"

#include <QDialog>
#include <array>
#include <memory>

class QLineEdit;

namespace engine {
class Table;
}
namespace Ui {
class TFrmInserisci;
}

class TFrmInserisci : public QDialog
{
    Q_OBJECT
public:
    explicit TFrmInserisci(QWidget* owner = nullptr);
    ~TFrmInserisci() override;

    // Creates the window owned by `owner`, runs it modally and destroys it.
    static void Esegui(QWidget* owner);

    // Puts the four edits in the placeholder state.
    void ImpostaSegnaposti();

    // Entered state of an edit (it received the focus since the last reset).
    bool inserito(const QLineEdit* edit) const;
    // Background of an edit in the placeholder state (the menu colour) and in the entered
    // state (the window colour).
    static QColor coloreSegnaposto();
    static QColor coloreInserito();
    static QString segnaposto(contacts::Campo campo);

    engine::Table* tblInserisci() const { return m_tbl; }

public Q_SLOTS:
    void FormActivate();
    void EDTnomeEnter();
    void EDTcognomeEnter();
    void EDTnumeroEnter();
    void EDTmailEnter();
    void EDTnomeExit();
    void EDTcognomeExit();
    void EDTmailExit();
    void BBmemClick();
    void BBannullaClick();
    void SpeedButton1Click();

public:
    void EDTcognomeKeyPress(QChar& key); // name and surname
    void EDTnumeroKeyPress(QChar& key);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void entra(QLineEdit* edit);
    int indice(const QLineEdit* edit) const;

    std::unique_ptr<Ui::TFrmInserisci> ui;
    contacts::RegoleInserimento* m_regole = nullptr;
    engine::Table* m_tbl = nullptr;
    std::array<QLineEdit*, 4> m_edits{};
    std::array<bool, 4> m_inserito{};
};
