// Small helpers on paths and files. None reports an error: each yields a value
// (possibly empty or false) or quietly does nothing. Folder paths end with their separator.
#pragma once
#include <string>
#include <vector>

// The running executable's folder, up to and including its last backslash.
std::wstring GetProgramFolder();
// The running executable's file name with extension ("ruVazoro.exe").
std::wstring GetOwnFileName();

// Drive and folder of a path, ending with the path's last separator ('\' or '/', as written).
std::wstring FolderOfPath(const std::wstring& path);
// Name and extension of the path's last component.
std::wstring FileNameOfPath(const std::wstring& path);
// The extension with its leading dot, or empty.
std::wstring ExtensionOfPath(const std::wstring& path);

// True when a directory search finds an entry for the path (file or folder).
bool FileExists(const std::wstring& path);
// Creates every missing folder of the chain; one trailing separator is ignored.
void CreateFolderChain(const std::wstring& folder);
void CreateFolderOfFile(const std::wstring& file);

// The pieces of text between '|' separators, empty pieces included ("" gives one empty piece).
std::vector<std::wstring> SplitAtBar(const std::wstring& text);

// Equality that folds only the letters A to Z.
bool EqualsIgnoringAsciiCase(const std::wstring& a, const std::wstring& b);
