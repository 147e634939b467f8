// The file instructions in-process, in a fresh temporary directory: limits and block boundaries of
// line reads, failed writes, attribute mapping, and walks through links and deep trees.
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "platform/files.hpp"
#include "test_support.hpp"

namespace korvex::testing {
namespace {

namespace fs = std::filesystem;

// Runs each test in its own empty directory and returns to the previous one afterwards.
class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous = fs::current_path();
        std::random_device seed;
        work = fs::temp_directory_path() / ("korvex-files-" + std::to_string(seed()));
        fs::create_directories(work);
        fs::current_path(work);
    }
    void TearDown() override {
        fs::current_path(previous);
        std::error_code ignored;
        fs::permissions(work, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(work, ignored);
    }

    static void write_file(const fs::path& path, const std::string& content) {
        fs::create_directories(fs::absolute(path).parent_path());
        std::ofstream(path, std::ios::binary) << content;
    }
    static std::string file_content(const fs::path& path) {
        std::ifstream stream(path, std::ios::binary);
        std::ostringstream content;
        content << stream.rdbuf();
        return content.str();
    }

    fs::path previous;
    fs::path work;
};

TEST(WildcardMatch, FollowsTheWindowsRules) {
    using platform::wildcard_match;
    EXPECT_TRUE(wildcard_match("*.txt", "notes.txt"));
    EXPECT_TRUE(wildcard_match("*.txt", "NOTES.TXT"));
    EXPECT_TRUE(wildcard_match("*.TXT", "notes.txt"));
    EXPECT_FALSE(wildcard_match("*.txt", "notes.txt.bak"));
    EXPECT_FALSE(wildcard_match("*.txt", "notes"));
    EXPECT_TRUE(wildcard_match("*", ".hidden"));
    EXPECT_TRUE(wildcard_match("*.*", "README"));
    EXPECT_TRUE(wildcard_match("*.", "README"));
    EXPECT_FALSE(wildcard_match("*.", "notes.txt"));
    EXPECT_TRUE(wildcard_match("a?c", "abc"));
    EXPECT_FALSE(wildcard_match("a?c", "ac"));
    EXPECT_TRUE(wildcard_match("file?", "file"));
    EXPECT_TRUE(wildcard_match("a??.txt", "a.txt"));
    EXPECT_TRUE(wildcard_match("", ""));
    EXPECT_FALSE(wildcard_match("", "a"));
    EXPECT_FALSE(wildcard_match("abc", "ab"));
    // Many stars against a long name take polynomial, not exponential, time.
    EXPECT_FALSE(wildcard_match("*a*a*a*a*a*a*a*a*a*a*b", std::string(250, 'a')));
}

TEST_F(FilesTest, ReadLimitsAreThoseScriptsRelyOn) {
    write_file("long.txt", std::string(40000, 'x'));
    std::string cut_by_cr = std::string(32767, 'y') + "\r" + std::string(10, 'y');
    write_file("cr.txt", cut_by_cr);
    ScriptRun script("");
    script.execute("R024[31]'long.txt''0'");
    EXPECT_EQ(script.variable("31").size(), 32767u);
    script.execute("R024[31]'long.txt''1'");
    EXPECT_EQ(script.variable("31").size(), 32768u);
    script.execute("R024[31]'cr.txt''1'");
    EXPECT_EQ(script.variable("31"), std::string(32767, 'y'));
}

TEST_F(FilesTest, LinesAcrossBlockBoundariesReadAsWhenReadByteByByte) {
    std::mt19937 random(7);
    std::vector<std::string> lines;
    std::string content;
    for (int number = 0; number < 30000; ++number) {
        std::string line(random() % 23, static_cast<char>('a' + number % 26));
        lines.push_back(line);
        content += line + (number % 3 == 0 ? "\r\n" : "\n");
    }
    write_file("many.txt", content);
    ScriptRun script("");
    for (int number : {1, 2, 2979, 2980, 2981, 5000, 12345, 20000, 29999, 30000}) {
        script.execute("R024[31]'many.txt''" + std::to_string(number) + "'");
        EXPECT_EQ(script.variable("31"), lines[number - 1]) << "line " << number;
        EXPECT_EQ(script.variable("0"), "0");
    }
    script.execute("R024[31]'many.txt''30001'");
    EXPECT_EQ(script.variable("31"), "");
    script.execute("R024[31]'many.txt''30002'");
    EXPECT_EQ(script.variable("31"), "EOF");
}

TEST_F(FilesTest, ReadIntoTheResultVariableKeepsTheWriteOrder) {
    write_file("a.txt", "first\n");
    ScriptRun script("");
    script.execute("R024[0]'a.txt''1'");
    EXPECT_EQ(script.variable("0"), "first");
    script.execute("R024[0]'a.txt''3'");
    EXPECT_EQ(script.variable("0"), "-1");
}

// A line number held as a number without its text reads as its text would: random products, some
// beyond 32 bits and some negative, read the same line with and without the numbers held.
TEST_F(FilesTest, HeldLineNumbersReadAsTheirTexts) {
    write_file("six.txt", "one\ntwo\nthree\nfour\nfive\nsix");
    const char* const factors[] = {
        "0",   "-0", "1", "2", "3", "-1", "-4", "65536", "2147483647", "4294967296", "9007199254740992",
        "0.5", "2.5"};
    std::mt19937 random(20261211);
    for (int round = 0; round < 300; ++round) {
        std::string record = std::string("RF01[32]'") + factors[random() % std::size(factors)] + "'*'" +
                             factors[random() % std::size(factors)] + "'";
        ScriptRun with(""), without("");
        without.runtime->options.value_shortcuts = false;
        for (ScriptRun* script : {&with, &without}) {
            script->execute(record);
            script->execute("R024[31]'six.txt'[32]");
        }
        ASSERT_EQ(with.variable("31"), without.variable("31")) << record;
        ASSERT_EQ(with.variable("0"), without.variable("0")) << record;
    }
}

// Line numbers are read with every file version taken as settled, so that line starts found once are
// used again at once.
void settle_every_version(ScriptRun& script) {
    script.runtime->lines.clock = [] { return platform::FileTime{32503680000, 0}; }; // the year 3000
}

// Short lines, lone CRs, lines beyond the read limit and no line end at the end, read in random order
// and in runs up and down: each line is what the rules make of the bytes, however the line starts
// known before were found, and after they were thinned out to every second, fourth... line.
TEST_F(FilesTest, LinesReadInAnyOrderAreThoseOfTheFile) {
    std::mt19937 random(5);
    std::string content;
    for (int line = 0; line < 120000; ++line) {
        content.append(line % 30000 == 7 ? 40000 : random() % 6, static_cast<char>('a' + random() % 3));
        content += random() % 7 == 0 ? "\r" : random() % 2 == 0 ? "\r\n" : "\n";
    }
    content += "last";
    write_file("lines.txt", content);
    // The reference: line n starts behind the (n - 1)-th LF and ends before a CR or LF.
    std::vector<std::size_t> starts{0};
    for (std::size_t at = 0; (at = content.find('\n', at)) != std::string::npos;) starts.push_back(++at);
    auto expected = [&](std::size_t line) -> std::string {
        if (line > starts.size()) return "EOF";
        std::size_t start = starts[line - 1],
                    end = std::min(content.find_first_of("\r\n", start), content.size());
        return content.substr(start, std::min<std::size_t>(end - start, 32768));
    };
    ScriptRun script("");
    settle_every_version(script);
    std::vector<std::size_t> order;
    for (int run = 0; run < 200; ++run) {
        std::size_t line = 1 + random() % (starts.size() + 2);
        bool upwards = random() % 2 == 0;
        for (int step = 0; step < 10 && line >= 1; ++step, upwards ? ++line : --line) order.push_back(line);
    }
    for (std::size_t line : order) {
        script.execute("R024[31]'lines.txt''" + std::to_string(line) + "'");
        ASSERT_EQ(script.variable("31"), expected(line)) << "line " << line;
        ASSERT_EQ(script.variable("0"), line > starts.size() ? "-1" : "0") << "line " << line;
    }
}

// Two files read line after line, in turns: each byte is walked over once to find where lines start.
TEST_F(FilesTest, ReadingEveryLineOfTwoFilesInTurnWalksEachFileOnce) {
    constexpr int line_count = 40000;
    std::string first, second;
    for (int line = 1; line <= line_count; ++line) {
        first += "line " + std::to_string(line) + "\r\n";
        second += std::to_string(line) + "\n";
    }
    write_file("first.txt", first);
    write_file("second.txt", second);
    ScriptRun script("");
    settle_every_version(script);
    for (int line = 1; line <= line_count + 2; ++line) {
        const std::string number = std::to_string(line);
        script.execute("R024[31]'first.txt''" + number + "'");
        script.execute("R024[32]'second.txt''" + number + "'");
        if (line > line_count) continue;
        ASSERT_EQ(script.variable("31"), "line " + number);
        ASSERT_EQ(script.variable("32"), number);
    }
    EXPECT_EQ(script.variable("31") + script.variable("32"), "EOFEOF");
    EXPECT_LE(script.runtime->lines.scanned_bytes, static_cast<std::int64_t>(first.size() + second.size()));
}

// A file of one size whose line 10000 differs with the line width.
std::string lines_of_width(char letter, std::size_t width) {
    std::string content;
    while (content.size() < 100000) content += std::string(width, letter) + "\n";
    return content;
}

// Rewritten in place with a new stamp, replaced by another file, or rewritten within one step of the
// clock that stamps files and its stamp put back (which may leave every stamp as it was): a file kept
// at its size is read anew.
TEST_F(FilesTest, AFileChangedAtTheSameSizeIsReadAnew) {
    ScriptRun script("");
    settle_every_version(script);
    auto line_10000 = [&] {
        script.execute("R024[31]'data.txt''10000'");
        return script.variable("31");
    };
    write_file("data.txt", lines_of_width('a', 4));
    EXPECT_EQ(line_10000(), "aaaa");
    fs::file_time_type stamp = fs::last_write_time("data.txt");
    write_file("data.txt", lines_of_width('b', 3));
    fs::last_write_time("data.txt", stamp + std::chrono::seconds(1));
    EXPECT_EQ(line_10000(), "bbb");
    write_file("other.txt", lines_of_width('c', 1));
    fs::rename("other.txt", "data.txt");
    EXPECT_EQ(line_10000(), "c");

    script.runtime->lines.clock = platform::current_file_time;
    write_file("data.txt", lines_of_width('d', 9));
    EXPECT_EQ(line_10000(), "ddddddddd");
    stamp = fs::last_write_time("data.txt");
    write_file("data.txt", lines_of_width('e', 4));
    fs::last_write_time("data.txt", stamp);
    EXPECT_EQ(line_10000(), "eeee");
}

// Line starts found in a version whose last change lies less than a step of the stamping clock back
// are not used again: a change within that step could leave every stamp as it was.
TEST(LineIndex, OnlySettledVersionsKeepTheirLineStarts) {
    auto kept_after = [](platform::FileTime changed, platform::FileTime now) {
        const platform::FileVersion version{{1, 2}, 100000, changed, changed};
        LineIndex index;
        index.clock = [&] { return now; };
        index.lines_of(version)->note_start({2, 10});
        return index.lines_of(version)->start_before(5).line == 2;
    };
    EXPECT_FALSE(kept_after({1000, 500}, {1000, 90'000'500}));
    EXPECT_TRUE(kept_after({1000, 500}, {1000, 100'000'500}));
    // Stamps in whole seconds may come from a clock of two-second steps.
    EXPECT_FALSE(kept_after({1000, 0}, {1002, 900'000'000}));
    EXPECT_TRUE(kept_after({1000, 0}, {1003, 0}));
}

TEST_F(FilesTest, FailedWritesReportFailure) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no device that refuses writes";
    write_file("source.txt", "some bytes");
    ScriptRun script("");
    script.execute("R025'/dev/full''text'");
    EXPECT_EQ(script.variable("0"), "-1");
    script.execute("R026'source.txt''/dev/full'");
    EXPECT_EQ(script.variable("0"), "-1");
}

TEST_F(FilesTest, CopyCarriesLargeFilesAndRefusesToCopyAFileOntoItself) {
    std::string content(3'000'000, '\0');
    std::mt19937 random(11);
    for (char& byte : content) byte = static_cast<char>(random());
    write_file("big.bin", content);
    fs::create_hard_link("big.bin", "alias.bin");
    ScriptRun script("");
    script.execute("R026'big.bin''copy.bin'");
    EXPECT_EQ(script.variable("0"), "0");
    EXPECT_EQ(file_content("copy.bin"), content);
    script.execute("R026'big.bin''alias.bin'");
    EXPECT_EQ(script.variable("0"), "-1");
    EXPECT_EQ(file_content("big.bin"), content);
    // Files that say they are empty yet hold bytes are copied whole as well.
    if (fs::exists("/proc/self/cmdline")) {
        script.execute("R026'/proc/self/cmdline''cmdline.bin'");
        EXPECT_EQ(script.variable("0"), "0");
        EXPECT_FALSE(file_content("cmdline.bin").empty());
    }
}

TEST_F(FilesTest, SizeOfAMissingFileLeavesTheResultVariable) {
    write_file("five.txt", "12345");
    ScriptRun script("");
    script.execute("R001[0]'before'");
    script.execute("R035[31]'five.txt'");
    script.execute("R035[32]'missing.txt'");
    EXPECT_EQ(script.variable("31"), "5");
    EXPECT_EQ(script.variable("32"), "-1");
    EXPECT_EQ(script.variable("0"), "before");
}

TEST_F(FilesTest, AttributesMapOntoNameAndPermissions) {
    write_file(".dotted", "x");
    write_file("plain.txt", "x");
    ScriptRun script("");
    script.execute("R039[31]'.dotted''HIDDEN'");
    script.execute("R039[32]'plain.txt''5'");
    script.execute("R039[33]'plain.txt''NORMAL'");
    script.execute("R039[34]'sub\\..\\.dotted''hidden'");
    EXPECT_EQ(script.variable("31"), "0");
    EXPECT_EQ(script.variable("32"), "-1");
    EXPECT_EQ(script.variable("33"), "0");
    EXPECT_EQ(script.variable("34"), "-1"); // the missing directory sub makes the path missing

    for (const char* refused : {"HIDDEN", "ARCHIVE", "SYSTEM", "COMPRESSED", "DIRECTORY"}) {
        script.execute(std::string("R040'plain.txt''") + refused + "'");
        EXPECT_EQ(script.variable("0"), "-1") << refused;
    }
    script.execute("R040'.dotted''HIDDEN'"); // already hidden: nothing to change
    EXPECT_EQ(script.variable("0"), "0");

    script.execute("R040'plain.txt''READONLY'");
    EXPECT_EQ(script.variable("0"), "0");
    EXPECT_EQ(fs::status("plain.txt").permissions() & fs::perms::owner_write, fs::perms::none);
    script.execute("R039[31]'plain.txt''NORMAL'");
    EXPECT_EQ(script.variable("31"), "-1");
    script.execute("R040'plain.txt''normal'");
    EXPECT_NE(fs::status("plain.txt").permissions() & fs::perms::owner_write, fs::perms::none);
}

TEST_F(FilesTest, RenameMovesAFileToAnotherFileSystem) {
    fs::path other = fs::path("/dev/shm") / work.filename();
    std::error_code error;
    if (!fs::create_directory(other, error)) GTEST_SKIP() << "/dev/shm cannot be written here";
    struct Removal {
        fs::path path;
        ~Removal() {
            std::error_code ignored;
            fs::remove_all(path, ignored);
        }
    } removal{other};
    if (platform::file_identity(other.string())->volume == platform::file_identity(".")->volume)
        GTEST_SKIP() << "/dev/shm and the temporary directory are one file system";
    const std::string content(3 << 20, 'm'); // more than one block of a copy
    write_file(other / "moved.txt", content);
    write_file(other / "kept.txt", "kept");
    write_file("kept.txt", "in the way");
    fs::create_directory(other / "folder");
    ScriptRun script("");
    auto rename = [&](const fs::path& from, const char* to) {
        script.execute("R018'" + from.string() + "''" + to + "'");
        return script.variable("0");
    };

    EXPECT_EQ(rename(other / "moved.txt", "moved.txt"), "0");
    EXPECT_TRUE(file_content("moved.txt") == content) << "the moved file differs";
    EXPECT_FALSE(fs::exists(other / "moved.txt"));
    EXPECT_EQ(rename(other / "kept.txt", "kept.txt"), "-1"); // never replaces
    EXPECT_EQ(file_content(other / "kept.txt"), "kept");
    EXPECT_EQ(file_content("kept.txt"), "in the way");
    EXPECT_EQ(rename(other / "folder", "folder"), "-1"); // directories are not moved by copying
    EXPECT_TRUE(fs::is_directory(other / "folder"));
    EXPECT_FALSE(fs::exists("folder"));
}

TEST_F(FilesTest, ShellCommandReportsExitStatusAndKilledCommands) {
    ScriptRun script("");
    script.execute("R014'exit 7'");
    EXPECT_EQ(script.variable("0"), "7");
    script.execute("R014'kill -9 $$'");
    EXPECT_EQ(script.variable("0"), "137");
}

TEST_F(FilesTest, SearchThroughALinkKeepsThePathsOfLaterEntries) {
    write_file("tree/b/c.txt", "c");
    write_file("elsewhere/x.txt", "x");
    write_file("elsewhere/y/z.txt", "z");
    fs::create_directory_symlink("../elsewhere", "tree/a_link");
    ScriptRun script("");
    script.execute("R034[31]'tree\\*.txt''0'");
    EXPECT_EQ(script.variable("31"), "a_link\\x.txt|a_link\\y\\z.txt|b\\c.txt");
    EXPECT_EQ(fs::current_path(), work);
}

TEST_F(FilesTest, SearchEndsInTheDirectoryOfVariableTwo) {
    write_file("tree/sub/a.txt", "a");
    ScriptRun script("");
    script.execute("R001[2]'" + (work / "tree" / "sub").string() + "'");
    script.execute("R034[31]'tree\\*.txt''0'");
    EXPECT_EQ(script.variable("31"), "sub\\a.txt");
    EXPECT_EQ(fs::current_path(), work / "tree" / "sub");
}

TEST_F(FilesTest, SearchSkipsDirectoriesItCannotEnter) {
    write_file("tree/a/one.txt", "1");
    write_file("tree/b/two.txt", "2");
    write_file("tree/c/three.txt", "3");
    fs::permissions("tree/b", fs::perms::none);
    std::error_code denied;
    fs::directory_iterator probe("tree/b", denied);
    if (!denied) GTEST_SKIP() << "permissions do not bind this user";
    ScriptRun script("");
    script.execute("R034[31]'tree\\*.txt''0'");
    EXPECT_EQ(script.variable("31"), "a\\one.txt|c\\three.txt");
    fs::permissions("tree/b", fs::perms::owner_all);
}

TEST_F(FilesTest, DeepTreesAreWalkedToTheDepthAskedFor) {
    fs::path deepest;
    for (int level = 0; level < 300; ++level) deepest /= "d";
    fs::create_directories("tree" / deepest);
    write_file("tree" / deepest / "bottom.txt", "b");
    ScriptRun script("");
    script.execute("R034[31]'tree\\*.txt''0'"); // 255 levels, above the bottom
    EXPECT_EQ(script.variable("31"), "");
    script.execute("R034[31]'tree\\*.txt''1000'");
    std::string expected;
    for (int level = 0; level < 300; ++level) expected += "d\\";
    EXPECT_EQ(script.variable("31"), expected + "bottom.txt");
    EXPECT_EQ(fs::current_path(), work);
}

} // namespace
} // namespace korvex::testing
