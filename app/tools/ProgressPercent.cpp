#include "app/tools/ProgressPercent.h"

int ProgressPercent(int done, int total)
{
    if (total <= 0)
        return 0;
    return static_cast<int>(static_cast<float>(done) / static_cast<float>(total) * 100.0f);
}
