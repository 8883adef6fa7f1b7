#pragma once
// The splash window: shown once, modally, while the main window is held back for ten
// seconds.

#include <QDialog>
#include <memory>

class QTimer;

namespace Ui {
class frmStart;
}

class TfrmStart : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmStart(QWidget* parent = nullptr);
    ~TfrmStart() override;

    std::unique_ptr<Ui::frmStart> ui; // the controls, by their object names
    QTimer* TimerStart;               // 10000 ms, disabled in the design, enabled when shown

public Q_SLOTS:
    void TimerStartTimer();
    void ImageLogoClick();

protected:
    void FormCreate();
    void FormShow();
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// The splash window, from its creation to the end of the program.
extern TfrmStart* frmStart;
