#pragma once
#include <QString>

namespace platform {

// Name of the environment variable that overrides the application folder (tests, demos).
inline constexpr const char* kAppFolderVariable = "ZENTOR_RUBRICA_DIR";

// The application folder: the running program's own folder, or the folder named by
// ZENTOR_RUBRICA_DIR, always ending with the native path separator.
QString appFolder();

// The application folder with '/' separators, for Qt file APIs. Ends with '/'.
QString appFolderPath();

// Full path of a file in the application folder.
QString appFile(const QString& name);

} // namespace platform
