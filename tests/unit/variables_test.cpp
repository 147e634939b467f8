// The variable store and the computed and acting system variables.
#include <regex>

#include "decoder/variable_store.hpp"
#include "test_support.hpp"

namespace korvex::testing {
namespace {

TEST(VariableStore, KeepsFirstStoreOrderAndNeverChangesAValueOnDeclare) {
    VariableStore store;
    store.store("31", "x");
    store.declare("32");
    store.store("31", "y");
    store.declare("31");
    ASSERT_EQ(store.entries().size(), 2u);
    EXPECT_EQ(store.entries()[0].name, "31");
    EXPECT_EQ(store.entries()[1].name, "32");
    EXPECT_EQ(*store.find("31"), "y");
    EXPECT_EQ(*store.find("32"), "");
    EXPECT_EQ(store.find("99"), std::nullopt);
}

TEST(VariableStore, NamesAreRawBytes) {
    VariableStore store;
    store.store("31", "a");
    store.store("031", "b");
    store.store(std::string("3\0"
                            "1",
                            3),
                "c");
    store.store("", "empty name");
    EXPECT_EQ(*store.find("31"), "a");
    EXPECT_EQ(*store.find("031"), "b");
    EXPECT_EQ(*store.find(std::string("3\0"
                                      "1",
                                      3)),
              "c");
    EXPECT_EQ(*store.find(""), "empty name");
}

TEST(VariableStore, HoldsManyVariablesWithValuesOfAnyBytes) {
    VariableStore store;
    for (int i = 0; i < 20000; ++i) store.store(std::to_string(i), std::string(i % 7, static_cast<char>(i)));
    for (int i = 0; i < 20000; i += 997)
        EXPECT_EQ(*store.find(std::to_string(i)), std::string(i % 7, static_cast<char>(i)));
}

TEST(SystemVariables, StartValues) {
    ScriptRun script("");
    EXPECT_EQ(script.variable("0"), "");
    EXPECT_EQ(script.variable("13"), "Ok");
    EXPECT_EQ(script.variable("24"), "\n");
    EXPECT_EQ(script.variable("29"), "4.4");
    EXPECT_EQ(script.variable("28"), "-1");
    EXPECT_FALSE(script.variable("9").empty());
    EXPECT_FALSE(script.variable("2").empty());
    // Start-up sets the captions and hides the information window.
    EXPECT_NE(script.transcript.find("caption input_ok \"Ok\"\ncaption input_cancel \"Cancel\""),
              std::string::npos);
    EXPECT_NE(script.transcript.find("info_window hidden"), std::string::npos);
}

TEST(SystemVariables, ClockVariablesAreComputedOnEveryRead) {
    ScriptRun script("");
    EXPECT_TRUE(std::regex_match(script.variable("7"), std::regex("[0-2][0-9]:[0-5][0-9]:[0-6][0-9]")));
    EXPECT_TRUE(std::regex_match(script.variable("10"), std::regex("[0-3][0-9]")));
    EXPECT_TRUE(std::regex_match(script.variable("11"), std::regex("(0[1-9]|1[0-2])")));
    EXPECT_TRUE(std::regex_match(script.variable("12"), std::regex("[0-9]{4}")));
    // A stored value never shows through a computed variable.
    script.execute("R001[7]'stored'");
    EXPECT_NE(script.variable("7"), "stored");
}

TEST(SystemVariables, ClipboardIsReadAndWrittenThroughTheDesktop) {
    ScriptRun script("");
    script.execute("R001[25]'abc'");
    EXPECT_EQ(script.variable("25"), "abc");
    EXPECT_EQ(script.conversation(), "clipboard \"abc\"\n");
}

TEST(SystemVariables, CaptionsAndInformationWindowAct) {
    ScriptRun script("");
    script.execute("R001[13]'Yes'");
    script.execute("R001[23]'Pick'");
    script.execute("R001[28]'0'");
    script.execute("R001[28]'hide'");
    script.execute("R001[28]' HIDE'");
    script.execute("R001[28]'-1'");
    EXPECT_EQ(script.conversation(), "caption input_ok \"Yes\"\ncaption list_ok \"Pick\"\ninfo_window shown\n"
                                     "info_window hidden\ninfo_window shown\ninfo_window hidden\n");
    EXPECT_EQ(script.variable("13"), "Yes");
    EXPECT_EQ(script.variable("28"), "-1");
}

} // namespace
} // namespace korvex::testing
