// Starts the workstation's start program of the build that matches the system.
#pragma once
#include <string>

#include "app/Locations.h"

// "reDoriVeza64.exe" on a 64-bit system, else "reDoriVeza.exe".
std::wstring StartProgramName(bool systemIs64Bit);
// The 64-bit build runs only on 64-bit systems; the 32-bit build asks IsWow64Process.
bool SystemIs64Bit();
// "\"<path>\" Zorvik".
std::wstring StartProgramCommandLine(const std::wstring& path);
// 0: the start program exists and its start was requested; 1: it does not exist.
int LaunchWorkstation(const Locations& locations);
