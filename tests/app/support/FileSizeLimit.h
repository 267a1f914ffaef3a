#pragma once
// A disk that fills up, for as long as the object lives: every file the test process writes is
// held to a size, and a write past it is refused with the system's "File too large". The signal
// such a write raises is left to the program's own start-up (SetUpProcess, which the test
// programs run): should that stop ignoring it, the test process ends by SIGXFSZ and fails. The
// limit is the process's: nothing else may be written while it stands.

#include "tests/pdf/support/ResourceLimit.h"

using FileSizeLimit = ResourceLimit<RLIMIT_FSIZE>;
