#pragma once
// The bug report window: composes a bug report mail to the maker's support address.
// Created for each use, shown modally, destroyed when it closes.

#include <QDialog>
#include <memory>

namespace Ui {
class frmBug;
}

class TfrmBug : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmBug(QWidget* parent = nullptr);
    ~TfrmBug() override;

    std::unique_ptr<Ui::frmBug> ui; // the controls, by their object names

public Q_SLOTS:
    void ButSegnalaClick();
    void ButEsciClick();
    void lblLinkClick();

protected:
    void FormCreate();
    bool eventFilter(QObject* watched, QEvent* event) override;
};
