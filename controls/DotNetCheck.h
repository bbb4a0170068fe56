// Whether .NET Framework 4.0 is registered on this computer.
#pragma once

// 1 when "Software\Microsoft\.NETFramework\policy\v4.0" under HKEY_LOCAL_MACHINE holds a
// value "30319" of at most 260 bytes, else 0. Reads the 32-bit registry view, the one the
// shipped 32-bit program sees, in every build.
int IsDotNet40Installed();
