#include "TestEnv.h"

#include "platform/AppFolder.h"

#include <QFile>

namespace testing_support {

TestEnv::TestEnv()
{
    m_hadPrevious = qEnvironmentVariableIsSet(platform::kAppFolderVariable);
    m_previous = qgetenv(platform::kAppFolderVariable);
    qputenv(platform::kAppFolderVariable, m_dir.path().toLocal8Bit());
}

TestEnv::~TestEnv()
{
    if (m_hadPrevious)
        qputenv(platform::kAppFolderVariable, m_previous);
    else
        qunsetenv(platform::kAppFolderVariable);
}

QString TestEnv::folder() const
{
    return m_dir.path() + u'/';
}

QString TestEnv::file(const QString& name) const
{
    return folder() + name;
}

void TestEnv::writeFile(const QString& name, const QByteArray& bytes) const
{
    QFile f(file(name));
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

QByteArray TestEnv::readFile(const QString& name) const
{
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace testing_support
