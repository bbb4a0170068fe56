// Where the running test program lies; its sibling programs are found there.
#pragma once
#include <string>

// The folder of the running test executable, ending with a backslash.
std::wstring TestProgramFolder();
