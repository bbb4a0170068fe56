// The update site: a host (or host:port) served over plain HTTP.
#pragma once
#include <string>

struct UpdateSite {
    std::wstring host;

    // "http://" + host + path; path starts with '/'.
    std::wstring Url(const std::wstring& path) const { return L"http://" + host + path; }

    // The configured host, or the built-in one when the configured text is empty.
    static UpdateSite FromConfigured(const std::wstring& configuredHost);
};
