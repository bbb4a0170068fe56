#include "framework/Application.h"

namespace {
CWinApp* g_application = nullptr;
}

CWinApp::CWinApp() { g_application = this; }

CWinApp::~CWinApp() {
    if (g_application == this) g_application = nullptr;
}

CWinApp* CWinApp::Current() { return g_application; }

int RunApplication(HINSTANCE instance) {
    CWinApp* app = CWinApp::Current();
    if (!app) return 1;
    app->SetInstance(instance);
    app->InitInstance();
    return 0;
}
