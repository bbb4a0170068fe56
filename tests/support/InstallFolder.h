// Fills a folder with the programs of an installation, copied from the folder where the
// build puts ruVazoro.exe, the test programs and the helper programs.
#pragma once
#include <string>

// Copies builtName from TestProgramFolder() into folder as installedName.
// Returns the copy's full path, or empty when the copy failed.
std::wstring InstallProgram(const std::wstring& folder, const std::wstring& builtName,
                            const std::wstring& installedName);
// ruVazoro.exe, under its own name.
std::wstring InstallLauncher(const std::wstring& folder);
// The stub start program under name ("reDoriVeza64.exe", "reDoriVeza.exe").
std::wstring InstallStubStartProgram(const std::wstring& folder, const std::wstring& name);
// Deletes a program file once the program has ended and freed it (a running program holds
// its file). Returns whether the file is gone within timeoutMs.
bool RemoveProgramWhenEnded(const std::wstring& program, unsigned long timeoutMs);
