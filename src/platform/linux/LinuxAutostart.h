#pragma once

#include "Platform.h"

namespace platform {

// Start with the session through an XDG autostart entry:
// $XDG_CONFIG_HOME/autostart/<name>.desktop (~/.config when unset).
class LinuxAutostart : public Autostart {
public:
    void set(const QString& name, const QString& commandLine) override;
    void remove(const QString& name) override;
    bool exists(const QString& name) const override;

    static QString entryPath(const QString& name);
};

} // namespace platform
