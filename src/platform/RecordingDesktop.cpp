#include "platform/RecordingDesktop.h"

namespace platform {

RecordingDesktop::RecordingDesktop()
{
    installDesktop(this);
}

RecordingDesktop::~RecordingDesktop()
{
    if (&desktop() == this)
        installDesktop(nullptr);
}

QStringList RecordingDesktop::texts() const
{
    QStringList out;
    for (const MessageBox& box : boxes)
        out << box.text;
    return out;
}

void RecordingDesktop::clear()
{
    boxes.clear();
    fileRequests.clear();
    inputPrompts.clear();
    urls.clear();
    commandLines.clear();
}

Answer RecordingDesktop::message(const MessageBox& box)
{
    boxes << box;
    if (onMessage) {
        if (auto answer = onMessage(box))
            return *answer;
    }
    if (box.buttons == Buttons::Ok)
        return Answer::Ok;
    return answers.isEmpty() ? Answer::No : answers.takeFirst();
}

QString RecordingDesktop::openFileName(QWidget*, const FileDialog& dialog)
{
    fileRequests << FileRequest{false, dialog};
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

QString RecordingDesktop::saveFileName(QWidget*, const FileDialog& dialog)
{
    fileRequests << FileRequest{true, dialog};
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

std::optional<QString> RecordingDesktop::inputText(QWidget*, const QString&, const QString& prompt,
                                                   const QString&)
{
    inputPrompts << prompt;
    return inputAnswers.isEmpty() ? std::nullopt : inputAnswers.takeFirst();
}

bool RecordingDesktop::openUrl(const QUrl& url)
{
    urls << url;
    return openUrlResult;
}

int RecordingDesktop::runAndWait(const QString& commandLine)
{
    commandLines << commandLine;
    if (onRun)
        return onRun(commandLine);
    return exitCodes.isEmpty() ? 0 : exitCodes.takeFirst();
}

} // namespace platform
