// Programs, environment, multimedia, pauses and the version name, through whole instructions where
// the behaviour is the script's and through the platform helpers where it is a rule of its own.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>

#include "platform/os.hpp"
#include "platform/process.hpp"
#include "test_support.hpp"

namespace korvex::testing {
namespace {

using platform::split_command_line;
using Arguments = std::vector<std::string>;

TEST(CommandLine, SplitsAsWindowsProgramsDo) {
    EXPECT_EQ(split_command_line(""), Arguments{});
    EXPECT_EQ(split_command_line("  \t "), Arguments{});
    EXPECT_EQ(split_command_line("  prog  a\tb  "), (Arguments{"prog", "a", "b"}));
    EXPECT_EQ(split_command_line(R"(prog "a b" c)"), (Arguments{"prog", "a b", "c"}));
    EXPECT_EQ(split_command_line(R"(prog a"b c"d)"), (Arguments{"prog", "ab cd"}));
    EXPECT_EQ(split_command_line(R"(prog "" x)"), (Arguments{"prog", "", "x"}));
    EXPECT_EQ(split_command_line(R"(prog "unclosed arg)"), (Arguments{"prog", "unclosed arg"}));
}

TEST(CommandLine, BackslashesEscapeOnlyQuotes) {
    EXPECT_EQ(split_command_line(R"(prog C:\dir\file a\\b)"),
              (Arguments{"prog", R"(C:\dir\file)", R"(a\\b)"}));
    EXPECT_EQ(split_command_line(R"(prog a\"b)"), (Arguments{"prog", R"(a"b)"}));
    EXPECT_EQ(split_command_line(R"(prog a\\"b c")"), (Arguments{"prog", R"(a\b c)"}));
    EXPECT_EQ(split_command_line(R"(prog a\\\"b)"), (Arguments{"prog", R"(a\"b)"}));
    EXPECT_EQ(split_command_line(R"(prog "dir\\" next)"), (Arguments{"prog", R"(dir\)", "next"}));
    EXPECT_EQ(split_command_line(R"(prog "say ""hi""")"), (Arguments{"prog", R"(say "hi")"}));
    EXPECT_EQ(split_command_line(R"(prog trailing\)"), (Arguments{"prog", R"(trailing\)"}));
}

// Arguments quoted as Windows quotes them and joined by blanks split back into the same arguments.
TEST(CommandLine, QuotedArgumentsSplitBackWhole) {
    std::mt19937 random(7);
    const char alphabet[] = {'a', ' ', '\t', '"', '\\'};
    for (int round = 0; round < 2000; ++round) {
        Arguments arguments(random() % 4);
        for (std::string& argument : arguments)
            for (std::size_t length = random() % 6; length > 0; --length) argument += alphabet[random() % 5];
        std::string command_line = "prog";
        for (const std::string& argument : arguments)
            command_line += " " + platform::quote_argument(argument);
        Arguments split = split_command_line(command_line);
        split.erase(split.begin());
        ASSERT_EQ(split, arguments) << command_line;
    }
    EXPECT_EQ(platform::quote_argument("plain"), "plain");
}

TEST(CommandLine, ProgramNameKeepsBackslashesAndDropsQuotes) {
    EXPECT_EQ(split_command_line(R"("C:\Program Files\app.exe" x)"),
              (Arguments{R"(C:\Program Files\app.exe)", "x"}));
    EXPECT_EQ(split_command_line(R"(C:\dir\"quoted part"\app x)"),
              (Arguments{R"(C:\dir\quoted part\app)", "x"}));
    EXPECT_EQ(split_command_line(std::string("prog a\0b c", 10)), (Arguments{"prog", "a"}));
}

std::string version_name(std::uint32_t major, std::uint32_t minor, std::uint32_t build, std::uint32_t id) {
    return platform::windows_version_name(platform::VersionRecord{major, minor, build, id});
}

TEST(VersionName, NamesThe9xFamilyByTheLowHalfOfTheBuild) {
    EXPECT_EQ(version_name(4, 0, 951, 1), "95A");
    EXPECT_EQ(version_name(4, 3, 0x04000000 | 1111, 1), "95B");
    EXPECT_EQ(version_name(4, 0, 1212, 1), "95B");
    EXPECT_EQ(version_name(4, 3, 1214, 1), "95C");
    EXPECT_EQ(version_name(4, 10, 0x040A0000 | 1998, 1), "98");
    EXPECT_EQ(version_name(4, 10, 2222, 1), "98SE");
    EXPECT_EQ(version_name(4, 10, 2000, 1), "98SE");
    EXPECT_EQ(version_name(4, 90, 3000, 1), "ME");
    EXPECT_EQ(version_name(4, 10, 3000, 1), "unknown");
    EXPECT_EQ(version_name(4, 0, 1998, 1), "unknown");
    EXPECT_EQ(version_name(5, 0, 951, 1), "unknown");
}

TEST(VersionName, NamesTheNtFamilyByTheWholeBuild) {
    EXPECT_EQ(version_name(4, 0, 1381, 2), "NT4");
    EXPECT_EQ(version_name(5, 0, 2195, 2), "2000");
    EXPECT_EQ(version_name(5, 0, 2505, 2), "XP");
    EXPECT_EQ(version_name(5, 1, 2600, 2), "XP");
    EXPECT_EQ(version_name(5, 1, 0x10000 | 2600, 2), "unknown");
    EXPECT_EQ(version_name(5, 2, 3790, 2), "unknown");
    EXPECT_EQ(version_name(6, 1, 7601, 2), "unknown");
    EXPECT_EQ(version_name(10, 0, 19045, 2), "unknown");
    EXPECT_EQ(version_name(4, 0, 1381, 3), "unknown");
    EXPECT_EQ(version_name(4, 0, 951, 0), "unknown");
}

class Environment : public ::testing::Test {
protected:
    void TearDown() override {
        for (const char* name :
             {"KX_UNIT_A", "Kx_Unit_Mixed", "KX_UNIT_EMPTY", "KX_UNIT_LONG", "KX_UNIT_ZERO"})
            platform::remove_environment_variable(name);
    }
};

TEST_F(Environment, ReplacingKeepsTheExistingSpelling) {
    platform::set_environment_variable("Kx_Unit_Mixed", "old");
    ScriptRun script("R016'KX_UNIT_MIXED=new'\n");
    script.run();
    EXPECT_EQ(script.variable("0"), "0");
    ASSERT_NE(std::getenv("Kx_Unit_Mixed"), nullptr);
    EXPECT_STREQ(std::getenv("Kx_Unit_Mixed"), "new");
    EXPECT_EQ(std::getenv("KX_UNIT_MIXED"), nullptr);
}

TEST_F(Environment, InheritedEmptyValueCountsAsAnEntry) {
    platform::set_environment_variable("KX_UNIT_A", "");
    ScriptRun script("R015[31]'KX_UNIT_A'\n");
    script.run();
    EXPECT_EQ(script.variable("0"), "0");
    script.execute("R016'KX_UNIT_A='");
    script.execute("R015[31]'KX_UNIT_A'");
    EXPECT_EQ(script.variable("0"), "-1");
}

TEST_F(Environment, RefusesTextsWithoutNameOrEqualsSign) {
    ScriptRun script("");
    script.execute("R016'KX_UNIT_A'");
    EXPECT_EQ(script.variable("0"), "-1");
    EXPECT_EQ(std::getenv("KX_UNIT_A"), nullptr);
    script.execute("R016'=x'");
    EXPECT_EQ(script.variable("0"), "-1");
    script.execute("R016'='");
    EXPECT_EQ(script.variable("0"), "-1");
    // Only the first "=" separates: the value may hold more.
    script.execute("R016'KX_UNIT_A=b=c'");
    EXPECT_STREQ(std::getenv("KX_UNIT_A"), "b=c");
}

TEST_F(Environment, ValuesOfAnyLengthAndUpToAZeroByte) {
    std::string long_value(100000, 'v');
    long_value += "end";
    ScriptRun script("");
    set_variable(*script.runtime, "32", long_value);
    script.execute("R016'KX_UNIT_LONG='#[32]");
    script.execute("R015[31]'KX_UNIT_LONG'");
    EXPECT_EQ(script.variable("31"), long_value);

    script.execute(std::string("R016'KX_UNIT_ZERO=ab\0cd'", 23));
    script.execute("R015[31]'KX_UNIT_ZERO'");
    EXPECT_EQ(script.variable("31"), "ab");
}

// Random settings of a few names in three spellings, values empty or not, against the rules: one
// entry per name, keeping the spelling it had; an empty value removes the entry or, where there was
// none, makes one that only the script sees. Entries of other names stay as they were.
TEST_F(Environment, SettingsInAnyOrderFollowTheRules) {
    struct Entry {
        std::string spelling, value;
        bool in_process = true;
    };
    std::map<std::string, Entry> model; // by upper-cased name
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    std::mt19937 random(3);
    ScriptRun script("");
    for (int round = 0; round < 3000; ++round) {
        const std::string upper = "KX_UNIT_" + std::to_string(random() % 8);
        std::string spelling = upper;
        if (random() % 3 == 0) spelling[1] = 'x';
        if (random() % 3 == 0) spelling[3] = 'u';
        const std::string value = random() % 3 == 0 ? "" : std::to_string(random() % 100);
        script.execute("R016'" + spelling + "=" + value + "'");
        auto found = model.find(upper);
        if (!value.empty() && found != model.end() && found->second.in_process)
            found->second.value = value;
        else if (!value.empty())
            model[upper] = Entry{spelling, value};
        else if (found != model.end())
            model.erase(found);
        else
            model[upper] = Entry{spelling, "", false};

        for (int name = 0; name < 8; ++name) {
            std::string looked_up = "kx_unit_" + std::to_string(name);
            script.execute("R015[31]'" + looked_up + "'");
            auto entry = model.find(upper_case_ascii(looked_up));
            ASSERT_EQ(script.variable("31") + "/" + script.variable("0"),
                      entry == model.end() ? "/-1" : entry->second.value + "/0")
                << "round " << round << ", " << looked_up;
            if (entry == model.end() || !entry->second.in_process) continue;
            const char* process_value = std::getenv(entry->second.spelling.c_str());
            ASSERT_NE(process_value, nullptr) << "round " << round << ", " << entry->second.spelling;
            ASSERT_EQ(process_value, entry->second.value);
        }
    }
    ASSERT_NE(std::getenv("PATH"), nullptr);
    EXPECT_EQ(std::getenv("PATH"), path);
    for (int name = 0; name < 8; ++name)
        platform::remove_environment_variable("KX_UNIT_" + std::to_string(name));
}

// Each setting costs the same however many variables there are: 30,000 of them would take the square
// of that in steps if every setting walked through the environment.
TEST_F(Environment, ThirtyThousandNamesAreSetAndRemovedOneByOne) {
    constexpr int name_count = 30000;
    ScriptRun script("");
    for (int name = 0; name < name_count; ++name)
        script.execute("R016'KX_MANY_" + std::to_string(name) + "=" + std::to_string(name) + "'");
    script.execute("R015[31]'kx_many_12345'");
    EXPECT_EQ(script.variable("31"), "12345");
    EXPECT_STREQ(std::getenv("KX_MANY_29999"), "29999");
    for (int name = 0; name < name_count; ++name)
        script.execute("R016'kx_many_" + std::to_string(name) + "='");
    script.execute("R015[31]'KX_MANY_12345'");
    EXPECT_EQ(script.variable("0"), "-1");
    EXPECT_EQ(std::getenv("KX_MANY_29999"), nullptr);
}

TEST(Programs, RunAndWaitReportsSignalsAndUnstartablePrograms) {
    ScriptRun script("");
    script.execute(R"(R030'sh -c "exit 3"''no such mode')");
    EXPECT_EQ(script.variable("0"), "3");
    script.execute(R"(R030'sh -c "kill -KILL $$"''1')");
    EXPECT_EQ(script.variable("0"), "265");
    script.execute("R030'/''1'");
    EXPECT_EQ(script.variable("0"), "-1");
    script.execute("R030'''1'");
    EXPECT_EQ(script.variable("0"), "-1");
}

TEST(Programs, StartReportsStartOrTheSmallErrorNumber) {
    ScriptRun script("");
    script.execute("R010'true'' Maximized '");
    EXPECT_EQ(script.variable("0"), "33");
    script.execute("R010'kx-no-such-program''3'");
    EXPECT_EQ(script.variable("0"), "2");
    script.execute("R010'/kx-no-such-directory/program''3'");
    EXPECT_EQ(script.variable("0"), "2");
    script.execute("R010'/etc/passwd''3'");
    EXPECT_EQ(script.variable("0"), "5");
    script.execute("R010'  ''show'");
    EXPECT_EQ(script.variable("0"), "2");
    script.execute("R010'true''4'");
    EXPECT_EQ(script.variable("0"), "-1");
}

// PATH pointed at a directory of our own for the length of a test.
class OwnPath : public ::testing::Test {
protected:
    void SetUp() override {
        saved = std::getenv("PATH") ? std::getenv("PATH") : "";
        directory =
            std::filesystem::temp_directory_path() / ("kx-path-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(directory);
        platform::set_environment_variable("PATH", directory.string());
    }
    void TearDown() override {
        platform::set_environment_variable("PATH", saved);
        std::filesystem::remove_all(directory);
    }
    std::string saved;
    std::filesystem::path directory;
};

TEST_F(OwnPath, ShellOpenWithoutAnOpenerReportsNoAssociation) {
    std::filesystem::path document = directory / "doc.txt";
    std::ofstream(document) << "x";
    ScriptRun script("");
    script.execute("R020'" + document.string() + "'");
    EXPECT_EQ(script.variable("0"), "31");
    script.execute("R020'" + (directory / "missing.txt").string() + "'");
    EXPECT_EQ(script.variable("0"), "2");
    script.execute("R020''");
    EXPECT_EQ(script.variable("0"), "2");
}

TEST(Wait, PausesForPositiveValuesOnlyAndWritesNothing) {
    ScriptRun script("R001[0]'kept'\nR036'-1'\nR036'abc'\nR036'0'\nR036'-2147483648'\n");
    script.run();
    EXPECT_EQ(script.variable("0"), "kept");
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(script.execute("R036' 120xyz'"), Step::next);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(120));
}

} // namespace
} // namespace korvex::testing
