#include <windows.h>

#include "app/ruVazoroApp.h"
#include "framework/Application.h"

// The one application object. It lives here, beside the entry point, because an object in
// the core library that nothing refers to would not be linked into the program.
CruVazoroApp theApp;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return RunApplication(instance); }
