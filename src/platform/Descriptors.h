#pragma once

// Open-file descriptors: how many the process may hold, and how many it holds.

#include <dirent.h>

#include <memory>

namespace platform {

// The most descriptors this process may hold open at once (its soft limit).
int descriptorLimit();

// Raises the soft limit to the hard limit, as a program that needs many
// descriptors and calls no select() does; answers the limit now in force.
int raiseDescriptorLimit();

// Counts the descriptors the process holds open. The folder listing them is
// kept open, so a count needs no free descriptor.
class DescriptorCount {
public:
    DescriptorCount();

    // The descriptors open now, this counter's own not counted; -1 when they
    // cannot be counted.
    int inUse();

    // True when the folder listing them cannot be read at all (a sandbox
    // without /proc): waiting for a free descriptor will not bring a count.
    bool unreadable() const;

private:
    void open();

    struct CloseDir {
        void operator()(DIR* dir) const { ::closedir(dir); }
    };
    std::unique_ptr<DIR, CloseDir> m_folder;
    int m_openError = 0; // why the folder could not be opened last time
};

} // namespace platform
