#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "support/InstallFolder.h"
#include "support/StubRecord.h"
#include "support/TempDir.h"
#include "app/Launcher.h"
#include "app/Locations.h"

namespace {

constexpr DWORD kStartTimeoutMs = 10000;
// How long a start that should not happen is given to show itself anyway.
constexpr DWORD kNoStartWaitMs = 1500;

TEST(Launcher, ChoosesTheBuildThatMatchesTheSystem) {
    const struct {
        bool systemIs64Bit;
        const wchar_t* name;
    } cases[] = {
        {true, L"reDoriVeza64.exe"},
        {false, L"reDoriVeza.exe"},
    };
    for (const auto& c : cases) EXPECT_EQ(StartProgramName(c.systemIs64Bit), c.name) << c.systemIs64Bit;
#ifdef _WIN64
    EXPECT_TRUE(SystemIs64Bit()) << "a 64-bit process runs only on a 64-bit system";
#endif
}

TEST(Launcher, CommandLineQuotesThePath) {
    const struct {
        const wchar_t* path;
        const wchar_t* commandLine;
    } cases[] = {
        {LR"(C:\Zorvik\reDoriVeza.exe)", LR"("C:\Zorvik\reDoriVeza.exe" Zorvik)"},
        {LR"(C:\Program Files (x86)\Zorvik 工作站\reDoriVeza64.exe)",
         LR"("C:\Program Files (x86)\Zorvik 工作站\reDoriVeza64.exe" Zorvik)"},
        {LR"(\\server\共享 盘\reDoriVeza.exe)", LR"("\\server\共享 盘\reDoriVeza.exe" Zorvik)"},
    };
    for (const auto& c : cases) EXPECT_EQ(StartProgramCommandLine(c.path), c.commandLine);
}

class LaunchWorkstationTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (const std::wstring& program : installed_) RemoveProgramWhenEnded(program, kStartTimeoutMs);
    }
    void Install(const std::wstring& folder, const std::wstring& name) {
        std::wstring path = InstallStubStartProgram(folder, name);
        ASSERT_FALSE(path.empty()) << "cannot install the stub as " << testing::PrintToString(name);
        installed_.push_back(path);
    }

    TempDir temp_;
    std::vector<std::wstring> installed_;
};

TEST_F(LaunchWorkstationTest, StartsTheMatchingBuildWithItsQuotedPath) {
    const std::wstring name = StartProgramName(SystemIs64Bit());
    Install(temp_.Path(), name);

    EXPECT_EQ(LaunchWorkstation(Locations::At(temp_.Path())), 0);

    std::optional<StubRecord> record = WaitForStubRecord(temp_.Path(), kStartTimeoutMs);
    ASSERT_TRUE(record) << "the start program was not started";
    EXPECT_EQ(record->commandLine, L"\"" + temp_.Path() + name + L"\" Zorvik");
    EXPECT_EQ(record->programFolder, temp_.Path());
}

TEST_F(LaunchWorkstationTest, MissingStartProgramStartsNothing) {
    EXPECT_EQ(LaunchWorkstation(Locations::At(temp_.Path())), 1);
    Sleep(kNoStartWaitMs);
    EXPECT_FALSE(ReadStubRecord(temp_.Path()));
}

#ifdef _WIN64
TEST_F(LaunchWorkstationTest, DoesNotFallBackToTheOtherBuild) {
    Install(temp_.Path(), L"reDoriVeza.exe");

    EXPECT_EQ(LaunchWorkstation(Locations::At(temp_.Path())), 1);
    Sleep(kNoStartWaitMs);
    EXPECT_FALSE(ReadStubRecord(temp_.Path())) << "reDoriVeza.exe was started";
}
#endif

// The program folder "<temp>\Zorvik 工作站\" holds a blank. A command line that left the path
// unquoted would be read as the program "<temp>\Zorvik" with arguments, and start the program
// "<temp>\Zorvik.exe" placed here as a decoy (its record would land in <temp>).
TEST_F(LaunchWorkstationTest, BlankInTheFolderDoesNotStartAnotherProgram) {
    const std::wstring programFolder = temp_.Path() + L"Zorvik 工作站\\";
    ASSERT_TRUE(CreateDirectoryW(programFolder.c_str(), nullptr));
    Install(temp_.Path(), L"Zorvik.exe");
    Install(programFolder, StartProgramName(SystemIs64Bit()));

    EXPECT_EQ(LaunchWorkstation(Locations::At(programFolder)), 0);

    std::optional<StubRecord> record = WaitForStubRecord(programFolder, kStartTimeoutMs);
    ASSERT_TRUE(record) << "the start program was not started";
    EXPECT_EQ(record->commandLine, L"\"" + programFolder + StartProgramName(SystemIs64Bit()) + L"\" Zorvik");
    Sleep(kNoStartWaitMs);
    EXPECT_FALSE(ReadStubRecord(temp_.Path())) << "the decoy Zorvik.exe was started";
}

}  // namespace
