// An update view that records what a run does to the window: the log text, the state of the
// two run buttons, and the downloads it asked for.
#pragma once
#include <string>
#include <vector>

#include "ui/UpdateView.h"

struct DownloadRequest {
    std::wstring url;
    std::wstring file;
    UINT message = 0;
};

class RecordingView : public UpdateView {
public:
    void ClearLog() override { log.clear(); }
    void AppendLog(const std::wstring& text) override { log += text; }
    void EnableButtons() override { buttonsEnabled = true; }
    void DisableButtons() override { buttonsEnabled = false; }
    void StartDownload(const std::wstring& url, const std::wstring& file, UINT message) override {
        downloads.push_back({url, file, message});
    }

    std::wstring log = L"发现新版本，请更新！";
    bool buttonsEnabled = true;
    std::vector<DownloadRequest> downloads;
};
