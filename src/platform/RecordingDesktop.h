#pragma once
// A desktop for tests: records every request and answers from scripted queues.

#include "platform/Desktop.h"

#include <QStringList>
#include <functional>

namespace platform {

struct FileRequest
{
    bool save = false;
    FileDialog dialog;
};

class RecordingDesktop : public Desktop
{
public:
    RecordingDesktop();           // installs itself
    ~RecordingDesktop() override; // puts the real desktop back

    // Recorded requests, in order.
    QList<MessageBox> boxes;
    QList<FileRequest> fileRequests;
    QStringList inputPrompts;
    QList<QUrl> urls;
    QStringList commandLines;

    // Scripted answers, taken front first. When a queue is empty: Yes/No boxes answer No,
    // OK boxes answer Ok, file dialogs and input dialogs are cancelled, processes exit 0.
    QList<Answer> answers;
    QStringList fileAnswers;
    QList<std::optional<QString>> inputAnswers;
    QList<int> exitCodes;
    bool openUrlResult = true; // what the shell answers to a hand-off

    // Optional hooks, called before the scripted answer is taken; a hook's result wins.
    std::function<std::optional<Answer>(const MessageBox&)> onMessage;
    std::function<int(const QString&)> onRun; // may throw like the real one

    // Convenience: texts of the recorded boxes.
    QStringList texts() const;
    void clear();

    Answer message(const MessageBox& box) override;
    QString openFileName(QWidget* parent, const FileDialog& dialog) override;
    QString saveFileName(QWidget* parent, const FileDialog& dialog) override;
    std::optional<QString> inputText(QWidget* parent, const QString& caption, const QString& prompt,
                                     const QString& value) override;
    bool openUrl(const QUrl& url) override;
    int runAndWait(const QString& commandLine) override;
};

} // namespace platform
