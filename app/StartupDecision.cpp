#include "app/StartupDecision.h"

bool ShouldOpenUpdateWindow(int r, const std::function<int()>& launch) {
    if (r < 0) return false;
    if (r > 0) return true;
    return launch() != 0;  // the start program is missing
}
