#include "app/ruVazoroApp.h"

#include <commctrl.h>

#include <string>

#include "app/ConfigFile.h"
#include "app/Launcher.h"
#include "app/Locations.h"
#include "app/StartupDecision.h"
#include "controls/DotNetCheck.h"
#include "controls/SetDotNetDialog.h"
#include "ui/ruVazoroDlg.h"
#include "update/InternetCheck.h"
#include "update/LanCheck.h"
#include "update/UpdateList.h"
#include "update/UpdateSite.h"

namespace {

constexpr int kUpdateListGrowBy = 1024;

void RegisterCommonControls() {
    INITCOMMONCONTROLSEX controls{};
    static_assert(sizeof controls == 8);
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);
}

// The .NET Framework prompt, run modally with the address and the hint of the version file.
INT_PTR RunDotNetPrompt(const std::wstring& openUrl, const std::wstring& openInfo) {
    CSetDotNetDialog prompt;
    prompt.m_strOpenUrl = openUrl;
    prompt.m_strOpenInfo = openInfo;
    return prompt.DoModal();
}

// Exactly one check runs: the LAN check when a LAN configuration file is named, else the
// check against the update site. Result: < 0 end, 0 nothing to update, > 0 files to update.
int RunStartupCheck(const Locations& locations, const UpdateSite& site, UpdateList& list) {
    if (!locations.lanConfigPath.empty()) return CheckLan(list, locations);
    DotNetPromptHooks dotNet;
    dotNet.isInstalled = [] { return IsDotNet40Installed() != 0; };
    dotNet.runPrompt = &RunDotNetPrompt;
    return CheckInternet(list, locations, site, dotNet);
}

// Runs the update window modally over this run's list. It always opens with the
// new-version line, also when it opens only because the start program is missing.
void ShowUpdateWindow(const Locations& locations, const UpdateSite& site, UpdateList& list) {
    CruVazoroDlg window(locations, site);
    window.m_bNewVersionNotice = 1;
    window.m_pUpdateList = &list;
    window.DoModal();
}

}  // namespace

BOOL CruVazoroApp::InitInstance() {
    RegisterCommonControls();
    // The configuration file is read once, here: the LAN path by ForRunningProgram, then the host.
    const Locations locations = Locations::ForRunningProgram();
    const UpdateSite site = UpdateSite::FromConfigured(ReadUpdateHost(locations));
    UpdateList list(kUpdateListGrowBy);

    const int r = RunStartupCheck(locations, site, list);
    if (ShouldOpenUpdateWindow(r, [&] { return LaunchWorkstation(locations); })) ShowUpdateWindow(locations, site, list);
    return FALSE;
}
