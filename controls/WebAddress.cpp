#include "controls/WebAddress.h"

#include "app/paths/PathHelpers.h"

namespace {

bool StartsWithScheme(const std::wstring& text, const std::wstring& scheme) {
    return text.size() > scheme.size() && EqualsIgnoringAsciiCase(text.substr(0, scheme.size()), scheme);
}

bool IsUnsafeCharacter(wchar_t c) { return c <= L' ' || c == 0x7F || c == L'"'; }

}  // namespace

bool IsWebAddress(const std::wstring& text) {
    if (!StartsWithScheme(text, L"http://") && !StartsWithScheme(text, L"https://")) return false;
    for (wchar_t c : text)
        if (IsUnsafeCharacter(c)) return false;
    return true;
}
