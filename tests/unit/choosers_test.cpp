// The file and folder choosers, run with the scripted desktop: the filter pairs they show, the
// selection switches, and what each answer stores.
#include <random>

#include "base/escapes.hpp"
#include "files/choosers.hpp"
#include "platform/os.hpp"
#include "test_support.hpp"

namespace korvex::testing {
namespace {

// The filter as the Windows dialogs read it from a 512-byte buffer filled byte by byte: the text up to
// its first zero byte with every "|" a zero byte, three zero bytes behind; then descriptions and
// patterns in turn up to the first empty description.
std::vector<FileFilter> pairs_from_zero_separated_buffer(const std::string& text) {
    std::string buffer(512, '\0');
    std::size_t length = std::min(text.find('\0'), text.size());
    for (std::size_t i = 0; i < length; ++i) buffer[i] = text[i] == '|' ? '\0' : text[i];
    std::vector<FileFilter> pairs;
    for (std::size_t at = 0; buffer[at] != '\0';) {
        FileFilter pair{buffer.c_str() + at, {}};
        at += pair.description.size() + 1;
        pair.pattern = buffer.c_str() + at;
        at += pair.pattern.size() + 1;
        pairs.push_back(pair);
    }
    return pairs;
}

TEST(FileChooserFilter, PairsAreThoseTheWindowsDialogsReadFromTheZeroSeparatedBuffer) {
    std::mt19937 random(11);
    const char bytes[] = {'a', 'b', '*', '.', '|', '|', '\0', ' '};
    for (int round = 0; round < 20000; ++round) {
        std::string text(random() % (round % 100 == 0 ? longest_filter + 1 : 14), ' ');
        for (char& byte : text) byte = bytes[random() % sizeof bytes];
        std::vector<FileFilter> expected = pairs_from_zero_separated_buffer(text);
        std::vector<FileFilter> pairs = filter_pairs(text);
        ASSERT_EQ(pairs.size(), expected.size()) << '"' << text << '"';
        for (std::size_t i = 0; i < pairs.size(); ++i) {
            EXPECT_EQ(pairs[i].description, expected[i].description) << '"' << text << '"';
            EXPECT_EQ(pairs[i].pattern, expected[i].pattern) << '"' << text << '"';
        }
    }
}

TEST(FileChooserFilter, ALongerFilterKeepsThePairsThatEndWithinItsFirst509Bytes) {
    std::string first = std::string(250, 'd') + "|" + std::string(250, 'p'); // ends at byte 501
    std::vector<FileFilter> pairs = filter_pairs(first + "|All|*.*");        // ends at 509
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[1].pattern, "*.*");
    pairs = filter_pairs(first + "|All|*.*x|Text|*.txt"); // the second pair ends at 510
    ASSERT_EQ(pairs.size(), 1u);
    EXPECT_EQ(pairs[0].pattern, std::string(250, 'p'));
}

TEST(FileChooser, ShowsTitleFiltersFolderAndSelectionAndStoresTheChoice) {
    ScriptRun script("R001[31]'stale'\nR022[31]'Open''Text files|*.txt|All files|*.*|'\nR009\n",
                     "choose \"C:\\\\work\\\\a.txt\"\n");
    script.run();
    EXPECT_EQ(script.variable("31"), "C:\\work\\a.txt");
    EXPECT_EQ(script.variable("0"), "0");
    EXPECT_EQ(
        script.conversation(),
        "file_chooser kind=open title=\"Open\" filters=[\"Text files\":\"*.txt\",\"All files\":\"*.*\"] "
        "folder=\"" +
            escape_bytes(platform::current_directory()) +
            "\" selection=single -> "
            "\"C:\\\\work\\\\a.txt\"\n");
}

// Variable 15 switches the open chooser, 16 the save chooser, each read anew; a cancel or an answer
// the chooser cannot give stores the empty text and "-1".
TEST(FileChooser, SelectionSwitchesAndCancels) {
    const std::string listing = "R001[16]'1'\nR022[31]'o'''\nR001[41][31]#'/'#[0]\n"
                                "R001[15]'0'\nR022[31]'o'''\nR001[42][31]#'/'#[0]\n"
                                "R023[31]'s'''\nR001[43][31]#'/'#[0]\n"
                                "R001[16]' -1'\nR023[31]'s'''\nR001[44][31]#'/'#[0]\n"
                                "R001[15]'-1'\nR022[31]'o'''\nR001[45][31]#'/'#[0]\nR009\n";
    ScriptRun script(listing, "choose \"D:\\\\work\" \"one.txt\" \"two.txt\"\n"
                              "choose \"D:\\\\work\" \"one.txt\" \"two.txt\"\n"
                              "choose \"D:\\\\work\\\\one.txt\"\n"
                              "choose \"D:\\\\work\" \"x\" \"y\"\n"
                              "cancel\n");
    script.run();
    EXPECT_EQ(script.variable("41"), "/-1") << "variable 16 switched the open chooser";
    EXPECT_EQ(script.variable("42"), "D:\\work|one.txt|two.txt/0");
    EXPECT_EQ(script.variable("43"), "D:\\work\\one.txt/0") << "variable 15 switched the save chooser";
    EXPECT_EQ(script.variable("44"), "D:\\work|x|y/0");
    EXPECT_EQ(script.variable("45"), "/-1");
    EXPECT_NE(script.conversation().find("-> cancelled (several files for a single selection, record"),
              std::string::npos);
    EXPECT_NE(script.conversation().find("kind=save title=\"s\" filters=[] "), std::string::npos);
}

// Cancelling the folder chooser is no failure; an item without a file-system path is. Variable 0 is
// stored last, the file choosers' first.
TEST(FolderChooser, StoresThePathOrTheEmptyTextAndTheOutcome) {
    const std::string listing = "R001[31]'stale'\nR037[31]'Pick''D:\\work'\nR001[41][31]#'/'#[0]\nR009\n";
    auto outcome = [&](const std::string& answer) {
        ScriptRun script(listing, answer);
        script.run();
        return script.variable("41");
    };
    EXPECT_EQ(outcome("choose \"D:\\\\other\"\n"), "D:\\other/0");
    EXPECT_EQ(outcome("ok\n"), "D:\\work/0");
    EXPECT_EQ(outcome("cancel\n"), "/0");
    EXPECT_EQ(outcome(""), "/0");
    EXPECT_EQ(outcome("virtual\n"), "/-1");

    ScriptRun script("R037[0]'Pick''D:\\work'\nR022[0]'Open'''\nR001[31][0]\nR009\n", "ok\nchoose x.txt\n");
    script.run();
    EXPECT_EQ(script.variable("31"), "x.txt");
    EXPECT_EQ(script.conversation().substr(0, script.conversation().find('\n')),
              "folder_chooser title=\"Pick\" folder=\"D:\\\\work\" -> \"D:\\\\work\"");
    ScriptRun folder_into_zero("R037[0]'Pick''D:\\work'\nR009\n", "ok\n");
    folder_into_zero.run();
    EXPECT_EQ(folder_into_zero.variable("0"), "0");
}

} // namespace
} // namespace korvex::testing
