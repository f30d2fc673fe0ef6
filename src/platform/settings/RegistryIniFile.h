#pragma once

#include "platform/settings/MemIniFile.h"

// The per-user store: an INI file that takes the place of a registry key. Like a
// registry, every write reaches the disk at once (so updateFile() has nothing
// left to do); a failed write throws Exception and leaves the old file.
class RegistryIniFile : public MemIniFile
{
public:
    explicit RegistryIniFile(const QString &fileName);

    void updateFile() override {}

protected:
    void changed() override { saveNow(); }
};
