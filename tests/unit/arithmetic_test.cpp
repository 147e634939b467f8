// Left-to-right arithmetic and the random numbers with their clock seam.
#include <string>
#include <vector>

#include "test_support.hpp"

namespace korvex::testing {
namespace {

TEST(Arithmetic, NormalisesASingleOperand) {
    expect_results({
        {"RF01[31]'007'", "7"},
        {"RF01[31]'1.50'", "1.5"},
        {"RF01[31]'abc'", "0"},
        {"RF01[31]'-0.5'", "-0.5"},
        {"RF01[31]' 2e3x'", "2000"},
        {"RF01[31]'inf'", "0"},
        {"RF01[31]'nan'", "0"},
        {"RF01[31]'0x10'", "0"},
        {"RF01[31]'1e999'", "+INF"},
        {"RF01[31]'-0'", "-0"},
        {"RF01[31]''", "0"},
        {"RF01[31]'1'#'2'", "12"},
    });
}

TEST(Arithmetic, ComputesFromLeftToRight) {
    expect_results({
        {"RF01[31]'2'+'3'*'4'", "20"},
        {"RF01[31]'10'-'4'/'4'", "1.5"},
        {"RF01[31]'1'/'3'", "0.333333"},
        {"RF01[31]'2'/'3'", "0.666667"},
        {"RF01[31]'0.1'+'0.2'", "0.3"},
        {"RF01[31]'1'/'0'", "+INF"},
        {"RF01[31]'-1'/'0'", "-INF"},
        {"RF01[31]'1e308'*'10'", "+INF"},
        {"RF01[31]'0'*'-1'", "-0"},
        {"RF01[31][32]+'5'", "5"},
        // An unknown operator reads no value; the walk goes on two bytes later.
        {"RF01[31]'1'x'2'", "1"},
        {"RF01[31]'1'x'2'+'3'", "4"},
        // A chain cut off at the end of the record.
        {"RF01[31]'1'+", "1"},
        {"RF01[31]'1'+'", "1"},
        {"RF01[31]'1'+'2", "3"},
    });
    // 0 / 0 has no value; its sign is the processor's, so only the spelling is checked.
    std::string not_a_number = result_of("RF01[31]'0'/'0'");
    EXPECT_TRUE(not_a_number == "+NAN" || not_a_number == "-NAN") << not_a_number;
}

TEST(Arithmetic, RemainderAndExclusiveOrUseWholeNumbers) {
    expect_results({
        {"RF01[31]'7'~'3'", "1"},
        {"RF01[31]'-7'~'3'", "-1"},
        {"RF01[31]'7'~'-3'", "1"},
        {"RF01[31]'7.9'~'3.9'", "1"},
        {"RF01[31]'-7.9'~'3.9'", "-1"},
        {"RF01[31]'6'^'3'", "5"},
        {"RF01[31]'-1'^'0'", "-1"},
        {"RF01[31]'6.9'^'3.9'", "5"},
        // Low 32 bits of the 64-bit whole number: 2^32 + 5 counts as 5, 2^31 as the smallest number.
        {"RF01[31]'4294967301'^'0'", "5"},
        {"RF01[31]'2147483648'^'0'", "-2147483648"},
        {"RF01[31]'4294967295'~'7'", "-1"},
        // The cases without a defined remainder: a divisor of 0 keeps the dividend, the smallest
        // number by -1 gives 0, a divisor below 1 in size counts as 0.
        {"RF01[31]'7'~'0'", "7"},
        {"RF01[31]'-7'~'0.5'", "-7"},
        {"RF01[31]'7.5'~'abc'", "7"},
        {"RF01[31]'-2147483648'~'-1'", "0"},
        {"RF01[31]'2147483648'~'-1'", "0"},
        // Infinities, not-a-numbers and values beyond 2^63 count as 0.
        {"RF01[31]'1'/'0'^'5'", "5"},
        {"RF01[31]'0'/'0'^'5'", "5"},
        {"RF01[31]'1'/'0'~'5'", "0"},
        {"RF01[31]'5'~'1e300'", "5"},
        {"RF01[31]'1e19'^'1'", "1"},
        {"RF01[31]'-9223372036854775808'^'1'", "1"},
        {"RF01[31]'9223372036854774784'^'0'", "-1024"},
    });
}

TEST(Arithmetic, StoresThroughSystemVariables) {
    ScriptRun script("");
    script.execute("RF01[25]'6'*'7'");
    EXPECT_EQ(script.conversation(), "clipboard \"42\"\n");
}

// A fresh run whose generator takes its seeds from a clock the test sets.
struct RandomRun {
    RandomRun() {
        script.runtime->random.seed_clock = [this] { return clock; };
    }
    std::string draw(const std::string& maximum) {
        script.execute("RF09[31]'" + maximum + "'");
        return script.variable("31");
    }
    ScriptRun script{""};
    std::int64_t clock = 1;
};

TEST(RandomNumbers, FollowTheGeneratorAndReseedEveryTenthDraw) {
    RandomRun run;
    std::vector<std::string> drawn;
    for (int i = 0; i < 10; ++i) drawn.push_back(run.draw("32767"));
    EXPECT_EQ(drawn, (std::vector<std::string>{"346", "130", "10982", "1090", "11656", "7117", "17595",
                                               "6415", "22948", "31126"}));
    // The 11th draw reseeds: with the clock on, seed 2; with it still, the same sequence again.
    run.clock = 2;
    EXPECT_EQ(run.draw("32767"), "692");
    EXPECT_EQ(run.draw("32767"), "32682");
    for (int i = 0; i < 8; ++i) run.draw("32767");
    run.clock = 2;
    EXPECT_EQ(run.draw("32767"), "692");
    EXPECT_EQ(run.script.variable("0"), "0");
}

TEST(RandomNumbers, TakeTheLowBitsOfTheClockAndTheRemainderOfTheRange) {
    RandomRun run;
    run.clock = (std::int64_t(1) << 32) + 1;
    EXPECT_EQ(run.draw("9"), "6"); // 346 mod 10
    EXPECT_EQ(run.draw("0"), "0");
    EXPECT_EQ(run.script.variable("0"), "0");
    EXPECT_EQ(run.draw("100000"), "10982");
    EXPECT_EQ(run.draw("2147483647"), "1090");
    EXPECT_EQ(run.draw(" 9 apples"), "6"); // 11656 mod 10
}

TEST(RandomNumbers, ReportAMaximumBelowZeroAndStillCountTheDraw) {
    RandomRun run;
    EXPECT_EQ(run.draw("-1"), "0");
    EXPECT_EQ(run.script.variable("0"), "-1");
    EXPECT_EQ(run.draw("-2147483648"), "0");
    EXPECT_EQ(run.script.variable("0"), "-1");
    EXPECT_EQ(run.script.runtime->random.reseed_countdown, 8);
    // No number was drawn for those, so the sequence starts at its first number.
    EXPECT_EQ(run.draw("32767"), "346");
    // Into variable 0 itself the number overwrites the result.
    run.script.execute("RF09[0]'-5'");
    EXPECT_EQ(run.script.variable("0"), "0");
}

} // namespace
} // namespace korvex::testing
