#pragma once
// The contact edit window. It has no cursor of its own: its four edits are bound to the
// fields of the search window's current record (TblAllFx), so the search grid shows every
// stored change at once. Created by the search window's "Edita", shown modally.

#include <QDialog>
#include <memory>

namespace Ui {
class TFrmModifica;
}
namespace engine {
class Table;
}
namespace contacts {
class RegoleInserimento;
}
class QLineEdit;
class TFrmCanc;

class TFrmModifica : public QDialog
{
    Q_OBJECT
public:
    // The search window is the owner and supplies the record.
    explicit TFrmModifica(TFrmCanc* frmCanc);
    ~TFrmModifica() override;

public Q_SLOTS:
    void FormActivate();
    // One handler for the four edits: clearing on entry.
    void EDTcognomeEnter(QLineEdit* sender);
    void EDTnomeExit();
    void EDTcognomeExit();
    void EDTmailExit();
    void BBmemClick();
    void BBannullaClick();
    void SpeedButton1Click();
    void FormClose();

public:
    // Key filters: key becomes the null character when the key is refused.
    void EDTnomeKeyPress(QChar& key);
    void EDTcognomeKeyPress(QChar& key);
    void EDTnumeroKeyPress(QChar& key);

    void done(int result) override;

private:
    void mostraRecord();
    void scriviCampo(QLineEdit* edit, const QString& text);
    QString campoDi(const QLineEdit* edit) const;
    bool inModifica() const;

    std::unique_ptr<Ui::TFrmModifica> m_ui;
    TFrmCanc* m_frmCanc;
    engine::Table& m_tbl;
    contacts::RegoleInserimento* m_regole = nullptr;
};
