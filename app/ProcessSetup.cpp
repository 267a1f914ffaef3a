#include "app/ProcessSetup.h"

#include <csignal>

void SetUpProcess()
{
    std::signal(SIGXFSZ, SIG_IGN);
}
