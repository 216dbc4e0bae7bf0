// Exits with the version class the common routine computes, so a test can
// run it under each Windows version Wine can report.
#include "common/os_version.h"

int wmain() { return GetOsVersionClass(); }
