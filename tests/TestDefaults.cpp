// Linked into every test program: before main() (and so before the application
// object), whatever CTest would have set is filled in for a test started by hand.

#include "TestEnv.h"

static const bool testDefaults = (TestEnv::applyDefaults(), true);
