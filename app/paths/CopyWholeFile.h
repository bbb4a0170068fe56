// Copies a file's content so that the destination is either left as it was or holds
// exactly the source's bytes: the bytes are streamed into a temporary file beside the
// destination, which then replaces the destination in one step.
#pragma once
#include <string>

// An unopenable or empty source changes nothing (no folder, no destination).
// Returns true when the destination now holds the source's bytes; callers may ignore it.
bool CopyWholeFile(const std::wstring& source, const std::wstring& destination);
