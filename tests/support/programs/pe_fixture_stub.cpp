// The body of the PE fixtures: a GUI program that does nothing. Tests stamp copies of it
// with version resources.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return 0; }
