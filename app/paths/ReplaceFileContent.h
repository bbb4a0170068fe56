// Replaces a file's content in one step: the new bytes go into a temporary file beside the
// destination, which then takes the destination's place. Until that moment the old file is
// untouched, so a failed read, a full disk or a crash never leaves a half-written file.
#pragma once
#include <cstddef>
#include <memory>
#include <span>
#include <string>

// Size of the pieces in which content is streamed.
inline constexpr std::size_t kCopyChunkBytes = 256 * 1024;

// Where the new content comes from.
class ContentSource {
public:
    virtual ~ContentSource() = default;
    // Fills up to buffer.size() bytes; returns how many (0: nothing more) or -1 on a read error.
    virtual long long Read(std::span<char> buffer) = 0;
};

// Streams exactly `length` bytes from the source into a temporary file in the destination's
// folder, releases the source, then moves the temporary file over the destination.
// Fails, leaving the destination as it was and removing the temporary file, when the source
// fails or ends early, the write fails, or the destination is read-only, a folder or in use.
// The destination's folder must exist.
bool ReplaceFileContent(std::unique_ptr<ContentSource> source, unsigned long long length,
                        const std::wstring& destination);
