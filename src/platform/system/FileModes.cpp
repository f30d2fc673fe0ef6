#include "platform/system/FileModes.h"

#include <sys/stat.h>

void UsePrivateFileModes()
{
    // The mask covers every way a file comes to be, the database engine's own
    // files and journals included, so no writer can forget it.
    ::umask(S_IRWXG | S_IRWXO);
}
