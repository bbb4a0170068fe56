// Where the program finds and puts its files. Everything is anchored at the program folder.
#pragma once
#include <string>

inline constexpr wchar_t kConfigFileName[] = L"Zorvik配置.ini";
inline constexpr wchar_t kVersionFileName[] = L"Zorvik版本.ini";
inline constexpr wchar_t kTempFolderName[] = L"zvTemp\\";
inline constexpr wchar_t kBackupFolderName[] = L"zvBackup\\";

struct Locations {
    std::wstring programFolder;  // ends with a backslash
    std::wstring ownFileName;    // the running executable's file name
    std::wstring lanConfigPath;  // LanUpdateConfigFile of the configuration file; empty: update from the site

    std::wstring GetConfigFilePath() const { return programFolder + kConfigFileName; }
    std::wstring TempFolder() const { return programFolder + kTempFolderName; }
    std::wstring GetVersionFilePath() const { return TempFolder() + kVersionFileName; }
    std::wstring BackupFolder() const { return programFolder + kBackupFolderName; }

    // A program folder and own file name given by the caller; the LAN path is left empty.
    static Locations At(const std::wstring& programFolder, const std::wstring& ownFileName = L"ruVazoro.exe");
    // The running program's folder and file name. Only the start-up sequence calls this.
    static Locations ForRunningProgram();
};
