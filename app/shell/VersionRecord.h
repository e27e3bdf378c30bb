#pragma once

// The program's own version information, compiled in, and its registration
// as the version information of the running program's file (which the About
// box reads).

#include "components/VersionInfo.h"

TVersionRecord ProgramVersionRecord();
void RegisterProgramVersion();
