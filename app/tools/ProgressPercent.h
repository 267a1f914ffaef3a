#pragma once
// The percentage every file tool shows: int(float(done) / float(total) * 100), in single
// precision and truncated, so that one of three is 33 and two of three 66. 0 when total is 0.

int ProgressPercent(int done, int total);
