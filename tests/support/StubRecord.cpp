#include "StubRecord.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "WaitUntil.h"

namespace {

std::wstring FromUtf8(const std::string& bytes) {
    if (bytes.empty()) return {};
    int size = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), size);
    return text;
}

// The value of a "Name=value" line, when the line starts with that name.
bool TakeValue(const std::string& line, const char* name, std::wstring& value) {
    std::string prefix = std::string(name) + "=";
    if (line.rfind(prefix, 0) != 0) return false;
    value = FromUtf8(line.substr(prefix.size()));
    return true;
}

}  // namespace

std::optional<StubRecord> ReadStubRecord(const std::wstring& folder) {
    std::ifstream in(std::filesystem::path(folder + kStubRecordName), std::ios::binary);
    if (!in) return std::nullopt;
    StubRecord record;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (TakeValue(line, "CommandLine", record.commandLine)) continue;
        if (TakeValue(line, "ProgramFolder", record.programFolder)) continue;
        TakeValue(line, "CurrentFolder", record.currentFolder);
    }
    return record;
}

std::optional<StubRecord> WaitForStubRecord(const std::wstring& folder, DWORD timeoutMs) {
    std::optional<StubRecord> record;
    WaitUntil([&] { return (record = ReadStubRecord(folder)).has_value(); }, timeoutMs);
    return record;
}
