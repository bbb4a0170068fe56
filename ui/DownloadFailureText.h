// What the download worker tells the user and the debugger when a download fails.
#pragma once
#include <string>

#include "update/HttpFetch.h"

struct DownloadFailureText {
    std::wstring log;    // appended to the window's log; empty: nothing for the user
    std::wstring debug;  // written to the debugger output; empty: nothing
};

DownloadFailureText DescribeDownloadFailure(const FetchResult& result, const std::wstring& host);
