#pragma once
// The main window: the program's picture and its menu, from which every tool is opened.

#include "platform/Desktop.h"
#include <QHash>
#include <QMainWindow>
#include <functional>
#include <memory>

namespace Ui {
class FrmMain;
}

class TFrmMain : public QMainWindow
{
    Q_OBJECT
public:
    explicit TFrmMain(QWidget* parent = nullptr);
    ~TFrmMain() override;

    std::unique_ptr<Ui::FrmMain> ui; // the controls, by their object names

    // The exchange file's dialogs (filter "File di testo (csv)|*.csv").
    platform::FileDialog SaveDialog1;
    platform::FileDialog OpenDialog1;
    // What runs when the user confirms a file in them (export, import); the dialog closes
    // afterwards whatever the outcome.
    std::function<void(const QString& fileName)> SaveDialog1CanClose;
    std::function<void(const QString& fileName)> OpenDialog1CanClose;

    // Menu commands whose windows live in other modules, by the item's object name; the
    // start-up wires each with one line (see StartUp::wireCommands). The main window is
    // passed as the owner.
    QHash<QString, std::function<void(QWidget* owner)>> comandi;

    // The rebuild tool's command line for an application folder (with its trailing
    // separator).
    static QString RigaRicostruzione(const QString& folder);

public Q_SLOTS:
    void Visualizzaselezione1Click();
    void Visualizzazionearchivio1Click();
    void Esci1Click();
    void Aggiunginuovaidentit1Click();
    void Cancellaidentit1Click();
    void Esportarubricaperoutlook1Click();
    void Importarubricadioutlook1Click();
    void Controllaversione1Click();
    void Segnalabug1Click();
    void mnuIndicizzaClick();
    void Salvataggiodati1Click();
    void Recuperodati1Click();
    void InviodatiaZentorProduzione1Click();
    void Esportazioneasciiexcel1Click();
    void Aiuto1Click();
    void About2Click();

public:
    void setVisible(bool visible) override;

protected:
    void FormCreate();
    void FormShow();

private:
    void esegui(const QString& item);
    bool m_inFormShow = false;
};

// The main window, from its creation to the end of the program.
extern TFrmMain* FrmMain;

// Opens a window created for this use, with the owner given, modally, and destroys it when
// its modal run ends, also when an error escapes from it.
template <class Window> void ApriModale(QWidget* owner)
{
    std::unique_ptr<Window> window(new Window(owner));
    window->exec();
}
