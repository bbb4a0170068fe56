#include <gtest/gtest.h>

#include "app/StartupDecision.h"

namespace {

struct Case {
    int r;
    int launchResult;
    bool launchExpected;
    bool windowExpected;
};

TEST(StartupDecision, FollowsTheCheckCount) {
    const Case cases[] = {
        {-1, 0, false, false},  // the .NET prompt ended otherwise: nothing more
        {0, 0, true, false},    // nothing to update, start program found
        {0, 1, true, true},     // nothing to update, start program missing
        {1, 0, false, true},
        {9, 1, false, true},
    };
    for (const Case& c : cases) {
        bool launched = false;
        bool window = ShouldOpenUpdateWindow(c.r, [&] {
            launched = true;
            return c.launchResult;
        });
        EXPECT_EQ(launched, c.launchExpected) << "r=" << c.r;
        EXPECT_EQ(window, c.windowExpected) << "r=" << c.r;
    }
}

}  // namespace
