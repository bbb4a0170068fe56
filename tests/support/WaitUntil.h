// Polling with a time-out, for conditions that another process brings about.
#pragma once
#include <windows.h>

#include <functional>

// Checks condition at once and then every pollMs until it holds or timeoutMs have passed.
// Returns whether it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs = 20);
