#include "platform/AppFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace platform {

QString appFolderPath()
{
    QString dir = qEnvironmentVariable(kAppFolderVariable);
    if (dir.isEmpty())
        dir = QCoreApplication::applicationDirPath();
    dir = QDir::cleanPath(QFileInfo(dir).absoluteFilePath());
    if (!dir.endsWith(u'/'))
        dir += u'/';
    return dir;
}

QString appFolder()
{
    return QDir::toNativeSeparators(appFolderPath());
}

QString appFile(const QString& name)
{
    return appFolderPath() + name;
}

} // namespace platform
