#pragma once
// The About window: the program's name, version and maker. It lives for the whole run;
// its labels LabelPrg and LabelVers are the program's name and version for every window.

#include <QDialog>
#include <memory>

namespace Ui {
class FrmAbout;
}

class TFrmAbout : public QDialog
{
    Q_OBJECT
public:
    explicit TFrmAbout(QWidget* parent = nullptr);
    ~TFrmAbout() override;

    std::unique_ptr<Ui::FrmAbout> ui; // the controls, by their object names

public Q_SLOTS:
    void sbEsciClick();
    void lblLinkClick();
    void Label13Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// The About window, from start-up to the end of the program.
extern TFrmAbout* FrmAbout;

// The program's name and version as the About window shows them (LabelPrg, LabelVers);
// empty before the About window exists.
QString NomeProgramma();
QString VersioneProgramma();
