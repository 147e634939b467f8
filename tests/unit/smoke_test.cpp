// The spine end to end in-process: a listing runs through the main loop and talks to the desktop.
#include "test_support.hpp"

namespace korvex::testing {
namespace {

TEST(Spine, RunsAListingThroughTheMainLoop) {
    ScriptRun script(
        "RRLR'4.4'\nR001[31]'world'\nR007'Greeting''Hello, '#[31]'OK'\nR009\nR007'x''not shown''OK'\n");
    script.run();
    EXPECT_EQ(script.variable("31"), "world");
    EXPECT_EQ(script.variable("0"), "1");
    EXPECT_EQ(script.conversation(),
              "message_box title=\"Greeting\" text=\"Hello, world\" buttons=OK style=0x00010000 -> 1\n");
}

} // namespace
} // namespace korvex::testing
