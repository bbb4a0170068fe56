#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "update/UpdateList.h"

namespace {

std::vector<UpdateEntry*> Slots(const UpdateList& list) {
    std::vector<UpdateEntry*> slots;
    for (int i = 0; i < list.Count(); ++i) slots.push_back(list.At(i));
    return slots;
}

TEST(UpdateList, GrowsInStepsAndKeepsTheOrder) {
    UpdateList list(1024);
    EXPECT_EQ(list.Capacity(), 0);
    list.AddEntry(L"0", L"0", 0);
    EXPECT_EQ(list.Capacity(), 1024);
    for (int i = 1; i < 1024; ++i) list.AddEntry(std::to_wstring(i).c_str(), L"p", 0);
    EXPECT_EQ(list.Capacity(), 1024);
    std::vector<UpdateEntry*> before = Slots(list);

    list.AddEntry(L"1024", L"p", 0);
    EXPECT_EQ(list.Count(), 1025);
    EXPECT_EQ(list.Capacity(), 2048);
    std::vector<UpdateEntry*> after = Slots(list);
    after.pop_back();
    EXPECT_EQ(after, before);  // the same entries, not copies, in the same slots
    for (int i = 0; i < list.Count(); ++i) ASSERT_EQ(list.At(i)->name, std::to_wstring(i));
}

TEST(UpdateList, SmallGrowthStepRoundsUp) {
    UpdateList list(3);
    const int expected[] = {3, 3, 3, 6, 6, 6, 9};
    for (int capacity : expected) {
        list.AddEntry(L"n", L"p", 0);
        EXPECT_EQ(list.Capacity(), capacity) << list.Count();
    }
}

TEST(UpdateList, ClearKeepsTheSlotsForReuse) {
    UpdateList list(4);
    for (int i = 0; i < 6; ++i) list.AddEntry(L"a", L"b", 0);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Capacity(), 8);
    EXPECT_EQ(list.At(0), nullptr);
    EXPECT_EQ(list.FindPending(), nullptr);
    list.AddEntry(L"again", L"again", kKindLauncher);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Capacity(), 8);
    EXPECT_EQ(list.At(0)->name, L"again");
}

TEST(UpdateList, BuiltInFilesAreNineInTheirOrderHoweverOftenLoaded) {
    struct Row {
        const wchar_t* name;
        const wchar_t* path;
        int kind;
    };
    const Row rows[] = {
        {L"ruVazoro.exe", L"ruVazoro.exe", 1},
        {L"Dicom.Core.dll", L"doRozavovu\\Dicom.Core.dll", 2},
        {L"vcredist_x86.exe", L"vcredist_x86.exe", 2},
        {L"reDoriVeza.exe", L"reDoriVeza.exe", 0},
        {L"reDoriVeza64.exe", L"reDoriVeza64.exe", 0},
        {L"zvHelix.exe", L"zvHelix.exe", 0},
        {L"zvHelix64.exe", L"zvHelix64.exe", 0},
        {L"ziRozirAzuvid.exe", L"ziRozirAzuvid.exe", 0},
        {L"doRozavovu.exe", L"doRozavovu\\doRozavovu.exe", 0},
    };
    UpdateList list;
    list.AddEntry(L"lan.dll", L"lan.dll", L"20210624", 0);
    list.LoadBuiltInFiles();
    list.At(3)->result = 1;
    list.LoadBuiltInFiles();
    ASSERT_EQ(list.Count(), 9);
    for (int i = 0; i < 9; ++i) {
        const UpdateEntry* e = list.At(i);
        EXPECT_EQ(e->name, rows[i].name);
        EXPECT_EQ(e->path, rows[i].path);
        EXPECT_EQ(e->kind, rows[i].kind) << rows[i].name;
        EXPECT_EQ(e->result, 0) << rows[i].name;
        EXPECT_TRUE(e->lanVersion.empty()) << rows[i].name;
    }
}

TEST(UpdateList, FindPendingReturnsTheFirstMarkedEntry) {
    UpdateList list;
    EXPECT_EQ(list.FindPending(), nullptr);
    list.LoadBuiltInFiles();
    EXPECT_EQ(list.FindPending(), nullptr);
    list.At(5)->result = 1;
    list.At(2)->result = 1;
    EXPECT_EQ(list.FindPending(), list.At(2));
    list.At(2)->result = 0;
    EXPECT_EQ(list.FindPending(), list.At(5));
    list.At(5)->result = 0;
    EXPECT_EQ(list.FindPending(), nullptr);
}

TEST(UpdateList, NullTextsGiveEmptyStrings) {
    UpdateList list;
    list.AddEntry(nullptr, nullptr, 0);
    list.AddEntry(nullptr, nullptr, nullptr, 2);
    list.AddEntry(L"a.dll", L"a.dll", L"20210624", 0);
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(list.At(i)->name.empty());
        EXPECT_TRUE(list.At(i)->path.empty());
        EXPECT_TRUE(list.At(i)->lanVersion.empty());
        EXPECT_EQ(list.At(i)->result, 0);
    }
    EXPECT_EQ(list.At(1)->kind, 2);
    EXPECT_EQ(list.At(2)->lanVersion, L"20210624");
}

}  // namespace
