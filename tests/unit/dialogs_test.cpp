// The input, editor and list dialogs and the information window, run through the main loop with the
// scripted desktop: what the user is shown, and what each answer stores.
#include "dialogs/dialogs.hpp"
#include "test_support.hpp"

namespace korvex::testing {
namespace {

std::string run_for_variable(const std::string& listing, const std::string& answers,
                             const std::string& name = "31") {
    ScriptRun script(listing, answers);
    script.run();
    return script.variable(name);
}

TEST(InputDialog, ShowsTitlePromptAndDefaultAndStoresTheAnswer) {
    const std::string listing = "R001[32]'nob'\nR008[31]'Setup''Your '#'name:'[32]#'ody'\nR009\n";
    ScriptRun script(listing, "ok\n");
    script.run();
    EXPECT_EQ(script.variable("31"), "nobody");
    EXPECT_EQ(script.conversation(),
              "input_dialog title=\"Setup\" prompt=\"Your name:\" default=\"nobody\" -> \"nobody\"\n");

    EXPECT_EQ(run_for_variable(listing, "text Ann\\tMarie\n"), "Ann\tMarie");
    EXPECT_EQ(run_for_variable(listing, "cancel\n"), "");
    EXPECT_EQ(run_for_variable(listing, ""), "") << "a missing answer cancels";
}

TEST(InputDialog, CancelOverwritesTheOutputVariableAndTheNextRecordRuns) {
    ScriptRun script("R001[31]'old'\nR008[31]'t''p''d'\nR001[33]'after'\nR009\n", "close\n");
    script.run();
    EXPECT_EQ(script.variable("31"), "");
    EXPECT_EQ(script.variable("33"), "after");
}

TEST(InputDialog, AnswerGoesThroughTheSystemVariableSideEffects) {
    ScriptRun script("R008[25]'t''p''copied'\nR009\n", "ok\n");
    script.run();
    EXPECT_EQ(script.variable("25"), "copied");
    EXPECT_NE(script.conversation().find("clipboard \"copied\""), std::string::npos);
}

TEST(EditorDialog, ShowsCrLfLinesAndReturnsLineFeeds) {
    ScriptRun script("R032[31]'Notes''one'#[24]#'two'''\nR009\n", "ok\n");
    script.run();
    EXPECT_EQ(script.variable("31"), "one\ntwo");
    EXPECT_EQ(script.conversation(), "editor_dialog title=\"Notes\" mode=editable size=350x238 "
                                     "content=\"one\\r\\ntwo\" -> \"one\\ntwo\"\n")
        << "the transcript shows the value stored";

    EXPECT_EQ(run_for_variable("R032[31]'t''x'''\n", "text a\\r\\nb\\rc\\nd\n"), "a\nbc\nd");
}

TEST(EditorDialog, ContentThatAlreadyHasCrLfIsNotDoubled) {
    ScriptRun script("~R032[31]'t''a\\r\\nb\\n\\nc\\r'''\nR009\n", "ok\n");
    script.run();
    EXPECT_NE(script.conversation().find("content=\"a\\r\\nb\\r\\n\\r\\nc\\r\""), std::string::npos)
        << script.conversation();
    EXPECT_EQ(script.variable("31"), "a\nb\n\nc");
}

TEST(EditorDialog, ModeByNameOrNumber) {
    struct Case {
        const char* mode;
        const char* kept;
        bool read_only;
    };
    const Case cases[] = {
        {" readonly ", "1", true}, {"ReadOnly", "1", true},           {"1", "1", true},  {" 1 ", "1", true},
        {"EDITABLE", "0", false},  {"editable  ", "0", false},        {"0", "0", false}, {"", "", false},
        {"11", "11", false},       {"READ ONLY", "READ ONLY", false}, {"x", "X", false}};
    for (const Case& c : cases) {
        ScriptRun script("R009\n", "ok\n");
        EXPECT_EQ(script.execute(std::string("R032[31]'t''c''") + c.mode + "'"), Step::next);
        EXPECT_EQ(editor_mode_text(c.mode), c.kept) << c.mode;
        EXPECT_NE(script.conversation().find(c.read_only ? "mode=readonly" : "mode=editable"),
                  std::string::npos)
            << c.mode << ": " << script.conversation();
    }
}

TEST(EditorDialog, ReadOnlyEditorTakesNoTyping) {
    ScriptRun script("R032[31]'t''fixed''READONLY'\nR009\n", "text changed\n");
    script.run();
    EXPECT_EQ(script.variable("31"), "fixed");
    EXPECT_NE(script.conversation().find("mode=readonly"), std::string::npos);
    EXPECT_EQ(run_for_variable("R032[31]'t''fixed''1'\n", "cancel\n"), "");
}

TEST(DialogSizes, AreReadFromTheSystemVariablesOnEveryRun) {
    ScriptRun script("R032[31]'t''c'''\nR001[19]'400'\nR001[20]' 300px'\nR032[31]'t''c'''\n"
                     "R001[19]'wide'\nR032[31]'t''c'''\n"
                     "R031[31]'t''a'\nR001[21]'-5'\nR001[22]'99999999999'\nR031[31]'t''a'\nR009\n",
                     "ok\nok\nok\nok\nok\n");
    script.run();
    const std::string conversation = script.conversation();
    std::vector<std::string> sizes;
    for (std::size_t at = conversation.find("size="); at != std::string::npos;
         at = conversation.find("size=", at + 1))
        sizes.push_back(conversation.substr(at + 5, conversation.find(' ', at) - at - 5));
    EXPECT_EQ(sizes, (std::vector<std::string>{"350x238", "400x300", "0x300", "130x176", "-5x2147483647"}));
}

TEST(ListDialog, SplitsAtBarsKeepingEmptyEntries) {
    EXPECT_EQ(list_items("a|b|c"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(list_items(""), (std::vector<std::string>{""}));
    EXPECT_EQ(list_items("a||b|"), (std::vector<std::string>{"a", "", "b", ""}));
    EXPECT_EQ(list_items("|"), (std::vector<std::string>{"", ""}));

    ScriptRun script("R031[31]'Pick''red|'#'green|blue'\nR009\n", "ok\n");
    script.run();
    EXPECT_EQ(script.variable("31"), "red");
    EXPECT_EQ(script.conversation(),
              "list_dialog title=\"Pick\" size=130x176 items=[\"red\",\"green\",\"blue\"] -> \"red\"\n");
}

TEST(ListDialog, AnswersChooseOnlyEntriesTheListHas) {
    const std::string listing = "R001[31]'old'\nR031[31]'Pick''red|green|blue'\n";
    EXPECT_EQ(run_for_variable(listing, "choose 3\n"), "blue");
    EXPECT_EQ(run_for_variable(listing, "select green\n"), "green");
    EXPECT_EQ(run_for_variable(listing, "select purple\n"), "");
    // A choice past the list's end cannot be what the answer file meant: the run stops.
    EXPECT_THROW(run_for_variable(listing, "choose 4\n"), AnswerDoesNotFit);
    EXPECT_THROW(run_for_variable(listing, "choose 0\n"), AnswerDoesNotFit);
    EXPECT_EQ(run_for_variable(listing, "cancel\n"), "");
    EXPECT_EQ(run_for_variable(listing, "text red\n"), "") << "a list takes no typing";
    EXPECT_EQ(run_for_variable("R031[31]'t'''\n", "ok\n"), "") << "one empty entry";

    ScriptRun script(listing, "select purple\nyes\n");
    script.run();
    EXPECT_NE(script.conversation().find("-> cancelled (no entry \"purple\", record 2)"), std::string::npos);
}

TEST(InfoWindow, PlacesTheTextThenShowsOrHidesThroughVariable28) {
    ScriptRun script("R038'Working...'''\nR009\n");
    script.run();
    EXPECT_EQ(script.variable("28"), "0");
    EXPECT_EQ(script.conversation(), "info_window text=\"Working...\" size=300x24\ninfo_window shown\n");

    struct Case {
        const char* mode;
        const char* visibility;
    };
    for (Case c : {Case{"hide", "-1"}, Case{"HiDe", "-1"}, Case{"-1", "-1"}, Case{" HIDE", "0"},
                   Case{"0", "0"}, Case{"show", "0"}, Case{"-1 ", "0"}}) {
        ScriptRun run("R009\n");
        EXPECT_EQ(run.execute(std::string("R038'x''") + c.mode + "'"), Step::next);
        EXPECT_EQ(run.variable("28"), c.visibility) << c.mode;
        EXPECT_NE(run.conversation().find(c.visibility[0] == '0' ? "shown" : "hidden"), std::string::npos);
    }
}

TEST(InfoWindow, SizeComesFromVariables26And27) {
    ScriptRun script("R001[26]'420'\nR001[27]'abc'\nR001[31]'Step 2'\nR038'Now: '#[31]'HIDE'\nR009\n");
    script.run();
    EXPECT_EQ(script.conversation(), "info_window text=\"Now: Step 2\" size=420x0\ninfo_window hidden\n");
}

} // namespace
} // namespace korvex::testing
