#pragma once
// Where table files live and how their names are matched: any case, ".db" added when the
// name has no extension.

#include <QString>
#include <QStringList>

namespace engine::detail {

// The folder for table files: `databaseName` or the application folder; ends with '/'.
QString tableFolder(const QString& databaseName);
// The name with ".db" added when it has no extension.
QString withExtension(const QString& name);
// Path of the existing file whose name matches regardless of case, or empty.
QString findTableFile(const QString& folder, const QString& name);
// The existing file, or where a new file of that name goes (keeping the name's case).
QString tableFilePath(const QString& folder, const QString& name);
// Companion files SQLite may leave beside a table file.
QStringList companionFiles(const QString& path);

} // namespace engine::detail
