#include <gtest/gtest.h>

#include <string>

#include "controls/WebAddress.h"

namespace {

TEST(IsWebAddress, AcceptsOnlyHttpAndHttpsAddresses) {
    struct Case {
        std::wstring text;
        bool web;
    };
    const Case cases[] = {
        {L"https://dotnet.example/dotNetFx40_Full_x86_x64.exe", true},
        {L"http://dotnet.example/", true},
        {L"HtTpS://dotnet.example/", true},
        {L"http://下载.example/安装包.exe?lang=zh-CN#x", true},
        {L"https://", false},
        {L"", false},
        {L"C:\\Windows\\notepad.exe", false},
        {L"\\\\server\\share\\x.exe", false},
        {L"file:///C:/Windows/notepad.exe", false},
        {L"ftp://dotnet.example/x.exe", false},
        {L"mailto:x@example.com", false},
        {L"https:\\\\dotnet.example\\", false},
        {L" https://dotnet.example/", false},
        {L"https://dotnet.example/a b", false},
        {L"https://dotnet.example/\" --new-window", false},
        {L"https://dotnet.example/\t", false},
        {std::wstring(L"https://dotnet.example/\0x", 24), false},
        // Only A-Z fold: a long s and a full-width h are other letters.
        {L"http\u017F://dotnet.example/", false},
        {L"\uFF48ttp://dotnet.example/", false},
        {L"https\u2215\u2215dotnet.example/", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.text.begin(), c.text.end())));
        EXPECT_EQ(IsWebAddress(c.text), c.web);
    }
}

}  // namespace
