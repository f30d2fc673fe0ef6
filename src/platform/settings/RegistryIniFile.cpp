#include "platform/settings/RegistryIniFile.h"

RegistryIniFile::RegistryIniFile(const QString &fileName)
    : MemIniFile(fileName)
{
}
