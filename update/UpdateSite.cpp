#include "update/UpdateSite.h"

UpdateSite UpdateSite::FromConfigured(const std::wstring& configuredHost) {
    return UpdateSite{configuredHost.empty() ? std::wstring(ZORVIK_UPDATE_HOST) : configuredHost};
}
