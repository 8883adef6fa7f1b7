#pragma once
// The seam over the desktop: message boxes, file and input dialogs, the shell's default
// "open" action and running an external program. Every window reaches the desktop through
// desktop(); tests install a RecordingDesktop that records each request and scripts answers.

#include <QList>
#include <QString>
#include <QUrl>
#include <optional>

class QWidget;

namespace platform {

enum class Icon { None, Information, Warning, Critical, Question };
enum class Buttons { Ok, YesNo };
enum class Answer { Ok, Yes, No };

struct MessageBox
{
    QString caption;
    QString text; // a carriage return breaks the line
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;
    bool operator==(const MessageBox&) const = default;
};

struct FileDialog
{
    QString caption;
    QString directory;
    QString filter;               // Qt filter text, e.g. "File di testo (csv) (*.csv)"
    QString selectedName;         // initial file name (save dialogs)
    bool confirmOverwrite = true; // save: ask before replacing an existing file
    bool mustExist = true;        // open: only an existing file can be chosen
    bool operator==(const FileDialog&) const = default;
};

class Desktop
{
public:
    virtual ~Desktop() = default;

    // A modal system message box with no owner window. Returns the pressed button.
    virtual Answer message(const MessageBox& box) = 0;
    // Standard open/save dialogs; an empty text when cancelled.
    virtual QString openFileName(QWidget* parent, const FileDialog& dialog) = 0;
    virtual QString saveFileName(QWidget* parent, const FileDialog& dialog) = 0;
    // One-line input dialog; no value when cancelled.
    virtual std::optional<QString> inputText(QWidget* parent, const QString& caption,
                                             const QString& prompt, const QString& value) = 0;
    // The desktop shell's default action on a document, web address or mailto address.
    // True when the shell took the address (callers may ignore it).
    virtual bool openUrl(const QUrl& url) = 0;
    // Starts a program from one command line (program path first, quoted arguments allowed)
    // and waits for it without limit. Returns its exit status as a signed number.
    // Raises zr::Error with "Error during CreateProcess" when it cannot be started, and the
    // texts of platform::runProcess for the later steps.
    virtual int runAndWait(const QString& commandLine) = 0;
};

// The desktop in use: the real one unless a test installed another.
Desktop& desktop();
// Installs a desktop (not owned); nullptr puts the real one back.
void installDesktop(Desktop* desktop);

// The real desktop over Qt's dialogs, QDesktopServices and platform::runProcess.
class QtDesktop : public Desktop
{
public:
    Answer message(const MessageBox& box) override;
    QString openFileName(QWidget* parent, const FileDialog& dialog) override;
    QString saveFileName(QWidget* parent, const FileDialog& dialog) override;
    std::optional<QString> inputText(QWidget* parent, const QString& caption, const QString& prompt,
                                     const QString& value) override;
    bool openUrl(const QUrl& url) override;
    int runAndWait(const QString& commandLine) override;
};

// --- Hand-offs built on the seam -------------------------------------------------------

// A mailto URL whose every part arrives intact: each value percent-encoded, line breaks
// as %0D%0A. Its fully decoded form is "mailto:" address "?subject=" subject "&body=" body.
QUrl mailtoUrl(const QString& address, const QString& subject, const QString& body);

// A file path or a web address, as the shell's default action expects it.
QUrl documentUrl(const QString& target);

// The application title: the task-bar text, the caption of the default error report and of
// the plain message dialog.
inline constexpr const char* kApplicationTitle = "Zentor_Rubrica";
QString applicationTitle();

// The default error report: application title, error icon, OK, the error's text.
void reportError(const QString& text);
// The toolkit's plain message dialog: application title, no icon, OK.
void plainMessage(const QString& text);

} // namespace platform
