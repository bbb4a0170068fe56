// "检查更新" with a LAN path: copies every marked file from the share folder, synchronously.
#pragma once
#include "app/Locations.h"
#include "ui/UpdateView.h"
#include "update/UpdateList.h"

inline constexpr wchar_t kLauncherDeferredText[] = L"ruVazoro.exe将在点击[启动程序]按钮后更新\r\n\r\n";
inline constexpr wchar_t kAllDoneText[] = L"所有操作已完成！\r\n";

void CheckUpdateLan(UpdateList* list, const Locations& locations, UpdateView& view);
