#include "engine/detail/TableFiles.h"

#include "platform/AppFolder.h"

#include <QDir>
#include <QFileInfo>

namespace engine::detail {

QString tableFolder(const QString& databaseName)
{
    QString folder = databaseName.trimmed();
    if (folder.isEmpty())
        return platform::appFolderPath();
    folder = QDir::fromNativeSeparators(folder);
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

QString withExtension(const QString& name)
{
    const QString base = QFileInfo(name).fileName();
    if (base.contains(u'.'))
        return name;
    return name + QStringLiteral(".db");
}

QString findTableFile(const QString& folder, const QString& name)
{
    const QString wanted = withExtension(QDir::fromNativeSeparators(name));
    // A name with a folder part is looked up in that folder (relative to `folder`).
    const QFileInfo wantedInfo(wanted);
    QString dirPath = folder;
    QString fileName = wantedInfo.fileName();
    if (wanted.contains(u'/'))
        dirPath = QDir(folder).absoluteFilePath(wantedInfo.path()) + u'/';
    if (fileName.isEmpty())
        return {};
    const QString exact = dirPath + fileName;
    if (QFileInfo(exact).isFile())
        return exact;
    const QDir dir(dirPath);
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& entry : entries) {
        if (entry.compare(fileName, Qt::CaseInsensitive) == 0)
            return dirPath + entry;
    }
    return {};
}

QString tableFilePath(const QString& folder, const QString& name)
{
    const QString found = findTableFile(folder, name);
    if (!found.isEmpty())
        return found;
    const QString wanted = withExtension(QDir::fromNativeSeparators(name));
    if (wanted.contains(u'/'))
        return QDir(folder).absoluteFilePath(wanted);
    return folder + wanted;
}

QStringList companionFiles(const QString& path)
{
    return {path + QStringLiteral("-journal"), path + QStringLiteral("-wal"),
            path + QStringLiteral("-shm")};
}

} // namespace engine::detail
