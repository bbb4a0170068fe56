// The start-up fetch of the update site's version page into the VersionFile.
#pragma once
#include <string>

#include "app/Locations.h"
#include "update/HttpFetch.h"
#include "update/UpdateSite.h"

inline constexpr wchar_t kVersionPagePath[] = L"/update/update.html";

// 0: the version file was stored. -1: no connection, or the destination cannot be written, or
// the body ended early. -2: the status query failed or the status is outside 200..299.
// -3: the URL is not one that WinINet serves. Diagnostics go to the debugger output.
int FetchVersionFile(const Locations& locations, const UpdateSite& site);

// The same fetch, giving the whole outcome (status, URL, destination) for callers that report more.
FetchResult FetchVersionFileResult(const Locations& locations, const UpdateSite& site);

// The result code above for an outcome.
int VersionFileResultCode(const FetchResult& result);
// The debugger text for an outcome; empty when nothing is written (success, no connection).
std::wstring VersionFileDiagnostic(const FetchResult& result);
