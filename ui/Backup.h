// Before an installed file is replaced, its copy is kept under zvBackup\ with a name stamped
// with its version: zvBackup\<path>_<stamp>.
#pragma once
#include <string>

#include "app/Locations.h"
#include "ui/UpdateView.h"
#include "update/FileVersion.h"

// "%d%04d" of high and low, with 101 in place of a negative low.
std::wstring VersionStamp(const FileVersion& version);
// The backup path of an entry's path for a version stamp.
std::wstring BackupPath(const Locations& locations, const std::wstring& path, const std::wstring& stamp);
void BackupFile(const std::wstring& path, const Locations& locations, UpdateView& view);
