#pragma once
// The search window: finds contacts by name, surname, number and e-mail, shows the
// selection in a grid and edits, deletes or mails it. One instance lives for the whole run;
// its table cursor TblAllFx is also the record the contact edit window works on.

#include "engine/DataSet.h"

#include <QDialog>
#include <memory>

namespace Ui {
class TFrmCanc;
}
namespace shell {
class DataSetModel;
}
class QCheckBox;
class QLineEdit;

class TFrmCanc : public QDialog
{
    Q_OBJECT
public:
    explicit TFrmCanc(QWidget* parent = nullptr);
    ~TFrmCanc() override;

    // The selection: Rubry.db with its filter. Open while the window is in use.
    engine::Table& TblAllFx() { return *m_tblAllFx; }

    // The mail text for a list of addresses, exactly as composed for the mail program:
    // "mailto:" a;b;c "?bcc=" "&subject=..." (or "?bcc=" a;b;c when the addresses are hidden).
    static QString ComponiMailSelezione(const QStringList& indirizzi, bool nascondi);
    // The same text as a URL in which every value is percent-encoded, so that the mail
    // program receives each address whole; its fully decoded form is the composed text.
    static QUrl UrlMailSelezione(const QStringList& indirizzi, bool nascondi);

public Q_SLOTS:
    void AllineaCriteri();
    void AzzeraRicerca();
    void AbilitaPulsanti();

    void cbNomeClick();
    void cbCognomeClick();
    void cbNumeroClick();
    void cbMailClick();

    void FormActivate();
    void BBricercaClick();
    void BBeditaClick();
    void BBcancellaClick();
    void btInviaClick();
    void BUTIMMbackClick();
    void FormClose();

public:
    void done(int result) override;

private:
    void criterioClick(QCheckBox* box, QLineEdit* edit);
    bool selezioneVuota();
    void sincronizzaGriglia();
    void impostaColonne();

    std::unique_ptr<Ui::TFrmCanc> m_ui;
    engine::Table* m_tblAllFx = nullptr;
    shell::DataSetModel* m_model = nullptr;
    bool m_sincronizzando = false;
};
