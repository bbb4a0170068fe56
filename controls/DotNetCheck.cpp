#include "controls/DotNetCheck.h"

#include <windows.h>

#include "framework/UniqueHandle.h"

int IsDotNet40Installed() {
    RegistryKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\.NETFramework\\policy\\v4.0", 0,
                      KEY_READ | KEY_WOW64_32KEY, key.put()) != ERROR_SUCCESS)
        return 0;
    BYTE data[260];
    DWORD size = sizeof(data);
    // Only whether the read succeeds counts; larger data fail with ERROR_MORE_DATA.
    return RegQueryValueExW(key.get(), L"30319", nullptr, nullptr, data, &size) == ERROR_SUCCESS ? 1 : 0;
}
