#pragma once
// Each test works in its own temporary application folder, with a recording desktop.

#include "platform/RecordingDesktop.h"

#include <QString>
#include <QTemporaryDir>

namespace testing_support {

class TestEnv
{
public:
    TestEnv();  // makes a fresh folder, points the application folder at it
    ~TestEnv(); // restores the environment

    QString folder() const;                  // ends with '/'
    QString file(const QString& name) const; // full path in the folder
    void writeFile(const QString& name, const QByteArray& bytes) const;
    QByteArray readFile(const QString& name) const;

    platform::RecordingDesktop desktop;

private:
    QTemporaryDir m_dir;
    QByteArray m_previous;
    bool m_hadPrevious = false;
};

} // namespace testing_support
