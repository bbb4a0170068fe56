// What follows the start-up check's count r: r < 0 ends the program; r = 0 launches the
// workstation and opens the update window only when the start program is missing; r > 0
// opens the update window. launch is called only when r = 0.
#pragma once
#include <functional>

bool ShouldOpenUpdateWindow(int r, const std::function<int()>& launch);
