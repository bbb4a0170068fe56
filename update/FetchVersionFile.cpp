#include "update/FetchVersionFile.h"

#include <windows.h>

std::wstring VersionFileDiagnostic(const FetchResult& result) {
    switch (result.outcome) {
    case FetchOutcome::NoResponse:
        return L"更新信息链接无效!";
    case FetchOutcome::BadStatus:
        // A failed status query has no status; its WinINet error number stands in for it.
        return L"打开网页文件出错，错误码：" + std::to_wstring(result.status != 0 ? result.status : result.error) + L" ";
    case FetchOutcome::CannotCreate:
    case FetchOutcome::WriteFailed:
        return L"创建接受文件错误!";
    default:
        return {};
    }
}

FetchResult FetchVersionFileResult(const Locations& locations, const UpdateSite& site) {
    FetchRequest request;
    request.url = site.Url(kVersionPagePath);
    request.destination = locations.GetVersionFilePath();
    request.chunkBytes = kStartupChunkBytes;
    request.timeouts = kStartupFetchTimeouts;
    FetchResult result = HttpFetch(request);
    const std::wstring text = VersionFileDiagnostic(result);
    if (!text.empty()) OutputDebugStringW(text.c_str());
    return result;
}

int VersionFileResultCode(const FetchResult& result) {
    switch (result.outcome) {
    case FetchOutcome::Done:
        return 0;
    case FetchOutcome::BadStatus:
        return -2;
    case FetchOutcome::NoResponse:
        return -3;
    default:
        return -1;
    }
}

int FetchVersionFile(const Locations& locations, const UpdateSite& site) {
    return VersionFileResultCode(FetchVersionFileResult(locations, site));
}
