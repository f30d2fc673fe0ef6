#pragma once

// The silent abort lives with the data sets, the lowest layer that throws it;
// the user-interface code reaches it under this name too.
#include "platform/db/Abort.h"
