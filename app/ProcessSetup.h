#pragma once
// What the program settles for its whole process before the first window exists. main calls
// it first; the test programs call it too, so that they run as the program does.

// A write past a file-size limit (ulimit -f, set by some shells, containers and managed
// desktops) raises SIGXFSZ, whose default action ends the process and every window with it.
// Ignored, the write fails with "File too large" like one to a full disk, and the job that made
// it fails with that reason, keeping the old file.
void SetUpProcess();
