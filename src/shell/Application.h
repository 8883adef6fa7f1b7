#pragma once
// The application object, the default error report for errors that no handler caught,
// and the start-up sequence.

#include <QApplication>
#include <QFont>
#include <QPointer>
#include <QStringList>
#include <exception>
#include <utility>
#include <vector>

namespace shell {

// Shows the error being handled (call from inside a catch block) in the default error
// report: application title, error icon, OK, the error's text. Never throws.
void reportCurrentException() noexcept;

// Runs a handler; an error that escapes it goes to the default error report and the
// program goes on. Every handler connected to a signal runs through here, so no error
// unwinds through the toolkit.
template <class Handler> void guarded(Handler&& handler) noexcept
{
    try {
        std::forward<Handler>(handler)();
    } catch (...) {
        reportCurrentException();
    }
}

// A slot that runs the handler guarded; its signal's arguments are dropped.
template <class Handler> auto guard(Handler handler)
{
    return [handler = std::move(handler)](auto&&...) { guarded(handler); };
}

// The windows' default font: "MS Sans Serif", 11 pixels high, or the nearest sans-serif
// font with similar widths where it is missing.
QFont formFont();

// A font family with the same fallbacks.
QStringList families(const QString& family);

// The program's title, Italian locale, Qt's Italian texts ("Sì", "No", "Annulla") and
// window icon; for any application object (tests use their own).
void setUpApplication();

} // namespace shell

// The application object: catches what escapes an event handler at the dispatch boundary
// and shows it in the default error report; the program goes on.
class Application : public QApplication
{
    Q_OBJECT
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

class TFrmMain;
class TFrmCanc;

// The search, edit, delete and send window, from start-up to the end of the program.
extern TFrmCanc* FrmCanc;

// The start-up: the windows that live for the whole run, created in their order, shown by
// the run loop, and destroyed at the end in reverse order.
class StartUp
{
public:
    StartUp() = default;
    ~StartUp();
    StartUp(const StartUp&) = delete;
    StartUp& operator=(const StartUp&) = delete;

    // The four steps of createWindows(), in this order.
    void createMain();   // TFrmMain: prepares the tables
    void createAbout();  // TFrmAbout: holds the program's name and version
    void createSplash(); // TfrmStart: reads the name from the About window
    void createSearch(); // TFrmCanc
    void createWindows();

    // Hooks the menu commands whose windows live in other modules to the main window.
    void wireCommands();

    // Shows the main window (the splash first) and runs the message loop to its end.
    int run();

    // The living windows, in order of creation.
    std::vector<QWidget*> windows() const;

private:
    std::vector<QPointer<QWidget>> m_windows;
};
