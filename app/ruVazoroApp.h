// The application object. Its InitInstance is the program's whole life: it checks for
// updates, then starts the workstation or shows the update window, and returns.
#pragma once
#include "framework/Application.h"

class CruVazoroApp : public CWinApp {
public:
    BOOL InitInstance() override;
};
