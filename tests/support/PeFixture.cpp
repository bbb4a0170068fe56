#include "PeFixture.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "ModuleHandle.h"
#include "TestProgramFolder.h"
#include "app/paths/PathHelpers.h"
#include "framework/UniqueHandle.h"

namespace {

constexpr WORD kLanguage = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);  // 2052
constexpr WORD kCodePage = 1200;                                                  // UTF-16

// An open resource update that is thrown away unless committed.
class ResourceUpdate {
public:
    // Starts with no resources at all.
    explicit ResourceUpdate(const std::wstring& file) : handle_(BeginUpdateResourceW(file.c_str(), TRUE)) {}
    ~ResourceUpdate() {
        if (handle_) EndUpdateResourceW(handle_, TRUE);
    }
    ResourceUpdate(const ResourceUpdate&) = delete;
    ResourceUpdate& operator=(const ResourceUpdate&) = delete;

    HANDLE get() const { return handle_; }
    bool Commit() {
        HANDLE h = handle_;
        handle_ = nullptr;
        return EndUpdateResourceW(h, FALSE) != FALSE;
    }

private:
    HANDLE handle_;
};

void PadTo4(std::string& bytes) {
    while (bytes.size() % 4 != 0) bytes += '\0';
}

void AppendWord(std::string& bytes, WORD value) { bytes.append(reinterpret_cast<const char*>(&value), sizeof value); }

void AppendText(std::string& bytes, const std::wstring& text) {
    for (wchar_t c : text) AppendWord(bytes, static_cast<WORD>(c));
    AppendWord(bytes, 0);
}

// One node of a version resource: length, value length, type, key, value, children, each
// part aligned to 4 bytes from the node's start (nodes themselves start aligned).
std::string Node(const std::wstring& key, WORD type, const std::string& value, WORD valueLength,
                 const std::vector<std::string>& children = {}) {
    std::string bytes(6, '\0');
    AppendText(bytes, key);
    PadTo4(bytes);
    bytes += value;
    for (const std::string& child : children) {
        PadTo4(bytes);
        bytes += child;
    }
    WORD length = static_cast<WORD>(bytes.size());
    std::memcpy(&bytes[0], &length, 2);
    std::memcpy(&bytes[2], &valueLength, 2);
    std::memcpy(&bytes[4], &type, 2);
    return bytes;
}

std::string TextNode(const std::wstring& key, const std::wstring& value) {
    std::string bytes;
    AppendText(bytes, value);
    return Node(key, 1, bytes, static_cast<WORD>(value.size() + 1));
}


// A resource type or name: a number or a text.
struct ResourceId {
    ULONG_PTR number = 0;
    std::wstring text;

    explicit ResourceId(LPCWSTR id) {
        if (IS_INTRESOURCE(id))
            number = reinterpret_cast<ULONG_PTR>(id);
        else
            text = id;
    }
    LPCWSTR get() const { return text.empty() ? MAKEINTRESOURCEW(number) : text.c_str(); }
};

struct Resource {
    ResourceId type;
    ResourceId name;
    WORD language;
    std::string data;
};

// Every resource of a program except its version resources, with their bytes.
bool ReadOtherResources(const std::wstring& exe, std::vector<Resource>& resources) {
    ModuleHandle module(LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module) return false;
    EnumResourceTypesW(
        module.get(),
        [](HMODULE m, LPWSTR type, LONG_PTR param) -> BOOL {
            if (type == RT_VERSION) return TRUE;
            EnumResourceNamesW(
                m, type,
                [](HMODULE m, LPCWSTR type, LPWSTR name, LONG_PTR param) -> BOOL {
                    EnumResourceLanguagesW(
                        m, type, name,
                        [](HMODULE m, LPCWSTR type, LPCWSTR name, WORD language, LONG_PTR param) -> BOOL {
                            auto* list = reinterpret_cast<std::vector<Resource>*>(param);
                            HRSRC found = FindResourceExW(m, type, name, language);
                            HGLOBAL loaded = found ? LoadResource(m, found) : nullptr;
                            const void* bytes = loaded ? LockResource(loaded) : nullptr;
                            if (!bytes) return TRUE;
                            list->push_back({ResourceId(type), ResourceId(name), language,
                                                     std::string(static_cast<const char*>(bytes),
                                                                 SizeofResource(m, found))});
                            return TRUE;
                        },
                        param);
                    return TRUE;
                },
                param);
            return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&resources));
    return true;
}

}  // namespace

std::string BuildVersionResource(unsigned a, unsigned b, unsigned c, unsigned d, PeFixtureOptions options) {
    std::string fixed;
    WORD fixedLength = 0;
    if (options.fixedBlock) {
        VS_FIXEDFILEINFO info{};
        info.dwSignature = 0xFEEF04BD;
        info.dwStrucVersion = 0x00010000;
        info.dwFileVersionMS = MAKELONG(b, a);
        info.dwFileVersionLS = MAKELONG(d, c);
        info.dwProductVersionMS = info.dwFileVersionMS;
        info.dwProductVersionLS = info.dwFileVersionLS;
        info.dwFileFlagsMask = VS_FFI_FILEFLAGSMASK;
        info.dwFileOS = VOS_NT_WINDOWS32;
        info.dwFileType = VFT_APP;
        fixed.assign(reinterpret_cast<const char*>(&info), sizeof info);
        fixedLength = sizeof info;
    }
    std::wstring versionText = std::to_wstring(a) + L"." + std::to_wstring(b) + L"." + std::to_wstring(c) + L"." +
                               std::to_wstring(d);
    std::string strings = Node(L"StringFileInfo", 1, {}, 0,
                               {Node(L"080404b0", 1, {}, 0,
                                     {TextNode(L"FileDescription", L"测试程序"), TextNode(L"FileVersion", versionText),
                                      TextNode(L"ProductVersion", versionText)})});
    std::vector<std::string> children{strings};
    if (options.translation) {
        std::string pair;
        AppendWord(pair, kLanguage);
        AppendWord(pair, kCodePage);
        children.push_back(Node(L"VarFileInfo", 1, {}, 0, {Node(L"Translation", 0, pair, 4)}));
    }
    return Node(L"VS_VERSION_INFO", 0, fixed, fixedLength, children);
}

// The platform's updater does not reliably drop a single resource, so the program's resources
// are all written afresh: every other resource as it was, then the new version resource.
bool StampVersion(const std::wstring& exe, unsigned a, unsigned b, unsigned c, unsigned d, PeFixtureOptions options) {
    std::vector<Resource> others;
    if (!ReadOtherResources(exe, others)) return false;
    ResourceUpdate update(exe);
    if (!update.get()) return false;
    for (Resource& r : others) {
        if (!UpdateResourceW(update.get(), r.type.get(), r.name.get(), r.language, r.data.data(),
                             static_cast<DWORD>(r.data.size())))
            return false;
    }
    if (options.versionResource) {
        std::string resource = BuildVersionResource(a, b, c, d, options);
        if (!UpdateResourceW(update.get(), RT_VERSION, MAKEINTRESOURCEW(1), kLanguage, resource.data(),
                             static_cast<DWORD>(resource.size())))
            return false;
    }
    return update.Commit();
}

bool MakeVersionedPe(const std::wstring& destination, unsigned a, unsigned b, unsigned c, unsigned d,
                     PeFixtureOptions options) {
    CreateFolderOfFile(destination);
    if (!CopyFileW((TestProgramFolder() + L"pe_fixture_stub.exe").c_str(), destination.c_str(), FALSE)) return false;
    if (!options.versionResource) return true;
    return StampVersion(destination, a, b, c, d, options);
}
