// A fresh folder under the system's temporary folder, removed with everything in it when
// the object goes. Its name holds a blank and Chinese characters, as clinics' paths do.
#pragma once
#include <string>

class TempDir {
public:
    explicit TempDir(const std::wstring& tag = L"zv");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder, ending with a backslash.
    const std::wstring& Path() const { return path_; }
    // Path() + relative, creating nothing.
    std::wstring operator/(const std::wstring& relative) const { return path_ + relative; }

private:
    std::wstring path_;
};

// Removes a folder and everything below it.
void RemoveTree(const std::wstring& folder);
