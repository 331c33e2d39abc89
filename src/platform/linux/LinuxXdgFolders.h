#pragma once

#include <QString>

namespace platform {

// The user's base folders: the variable's value when it is an absolute path,
// otherwise the default under the home folder. No trailing separator.
QString xdgConfigHome(); // $XDG_CONFIG_HOME, ~/.config
QString xdgDataHome();   // $XDG_DATA_HOME, ~/.local/share

// Creates the folder when missing, its parents as usual and itself readable by
// the user only (0700); an existing folder keeps its mode. Answers whether
// the folder exists afterwards.
bool ensurePrivateFolder(const QString& path);

} // namespace platform
