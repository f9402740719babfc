#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "options/DisplayCheck.h"

namespace karvola::options {
namespace {

TEST(DisplayCheck, QtStartsOnlyWhereItHasADisplayOrHasBeenToldWhere) {
    struct Case {
        const char* name;
        std::vector<std::string> arguments;
        DisplayEnvironment environment;
        bool refused;
    };
    const Case cases[] = {
        {"nothing at all", {}, {}, true},
        {"wrong options change nothing", {"--wrong-option"}, {}, true},
        {"an X display", {}, {":0", "", ""}, false},
        {"a Wayland display", {}, {"", "wayland-0", ""}, false},
        {"a platform in the environment", {}, {"", "", "offscreen"}, false},
        {"-platform", {"--db", "x.txt", "-platform", "offscreen"}, {}, false},
        {"--platform", {"--platform", "offscreen"}, {}, false},
        {"X11's -display", {"-display", ":1"}, {}, false},
        {"only a name like -platform", {"--db", "-platformer"}, {}, true},
    };
    for (const Case& c : cases) {
        const auto refusal = MissingDisplay(c.arguments, c.environment);
        EXPECT_EQ(refusal.has_value(), c.refused) << c.name;
        if (!refusal) continue;
        EXPECT_EQ(refusal->status, 2) << c.name;
        EXPECT_EQ(refusal->text.find('\n'), refusal->text.size() - 1) << "one line: " << c.name;
        EXPECT_NE(refusal->text.find("karvola-cli"), std::string::npos) << c.name;
    }
}

}  // namespace
}  // namespace karvola::options
