#include "platform/Desktop.h"

#include "platform/Process.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace platform {

namespace {
Desktop* g_installed = nullptr;

QMessageBox::Icon toQt(Icon icon)
{
    switch (icon) {
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Warning:
        return QMessageBox::Warning;
    case Icon::Critical:
        return QMessageBox::Critical;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}
} // namespace

Desktop& desktop()
{
    static QtDesktop real;
    return g_installed ? *g_installed : real;
}

void installDesktop(Desktop* desktop)
{
    g_installed = desktop;
}

Answer QtDesktop::message(const MessageBox& box)
{
    // No owner window: the box belongs to no window of the program.
    // A carriage return breaks the line; CR LF is one break.
    QString text = box.text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    QMessageBox mb(toQt(box.icon), box.caption, text,
                   box.buttons == Buttons::YesNo ? QMessageBox::Yes | QMessageBox::No
                                                 : QMessageBox::Ok);
    const int pressed = mb.exec();
    if (box.buttons == Buttons::YesNo)
        return pressed == QMessageBox::Yes ? Answer::Yes : Answer::No;
    return Answer::Ok;
}

QString QtDesktop::openFileName(QWidget* parent, const FileDialog& dialog)
{
    if (dialog.mustExist)
        return QFileDialog::getOpenFileName(parent, dialog.caption, dialog.directory,
                                            dialog.filter);
    QFileDialog fd(parent, dialog.caption, dialog.directory, dialog.filter);
    fd.setAcceptMode(QFileDialog::AcceptOpen);
    fd.setFileMode(QFileDialog::AnyFile);
    if (fd.exec() != QDialog::Accepted || fd.selectedFiles().isEmpty())
        return QString();
    return fd.selectedFiles().constFirst();
}

QString QtDesktop::saveFileName(QWidget* parent, const FileDialog& dialog)
{
    QString start = dialog.directory;
    if (!dialog.selectedName.isEmpty())
        start = QDir(start).filePath(dialog.selectedName);
    const QFileDialog::Options options =
        dialog.confirmOverwrite ? QFileDialog::Options() : QFileDialog::DontConfirmOverwrite;
    return QFileDialog::getSaveFileName(parent, dialog.caption, start, dialog.filter, nullptr,
                                        options);
}

std::optional<QString> QtDesktop::inputText(QWidget* parent, const QString& caption,
                                            const QString& prompt, const QString& value)
{
    bool ok = false;
    const QString text =
        QInputDialog::getText(parent, caption, prompt, QLineEdit::Normal, value, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

bool QtDesktop::openUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

int QtDesktop::runAndWait(const QString& commandLine)
{
    return runProcess(commandLine);
}

QUrl mailtoUrl(const QString& address, const QString& subject, const QString& body)
{
    auto lines = [](QString text) {
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(u'\r', u'\n');
        text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
        return text;
    };
    QByteArray encoded = "mailto:";
    encoded += QUrl::toPercentEncoding(address, "@;,+");
    encoded += "?subject=";
    encoded += QUrl::toPercentEncoding(lines(subject));
    encoded += "&body=";
    encoded += QUrl::toPercentEncoding(lines(body));
    return QUrl::fromEncoded(encoded, QUrl::StrictMode);
}

QUrl documentUrl(const QString& target)
{
    static const QStringList schemes = {QStringLiteral("http:"), QStringLiteral("https:"),
                                        QStringLiteral("mailto:"), QStringLiteral("ftp:"),
                                        QStringLiteral("file:")};
    for (const QString& scheme : schemes) {
        if (target.startsWith(scheme, Qt::CaseInsensitive))
            return QUrl(target, QUrl::TolerantMode);
    }
    if (target.startsWith(QStringLiteral("www."), Qt::CaseInsensitive))
        return QUrl(QStringLiteral("http://") + target, QUrl::TolerantMode);
    return QUrl::fromLocalFile(QDir::fromNativeSeparators(target));
}

QString applicationTitle()
{
    return QString::fromLatin1(kApplicationTitle);
}

void reportError(const QString& text)
{
    desktop().message({applicationTitle(), text, Icon::Critical, Buttons::Ok});
}

void plainMessage(const QString& text)
{
    desktop().message({applicationTitle(), text, Icon::None, Buttons::Ok});
}

} // namespace platform
