// Dispatch, the records without effect, the version check, and the stacks of calls and loops.
#include "core/executor.hpp"
#include "flow/flow.hpp"
#include "test_support.hpp"

namespace korvex::testing {
namespace {

TEST(Executor, SkipsUnknownShortAndLowerCaseOpcodes) {
    ScriptRun script("");
    EXPECT_EQ(script.execute("R0"), Step::unknown_opcode);
    EXPECT_EQ(script.execute("R002[31]'x'"), Step::unknown_opcode);
    EXPECT_EQ(script.execute("r001[31]'x'"), Step::unknown_opcode);
    EXPECT_EQ(script.execute(""), Step::unknown_opcode);
    EXPECT_EQ(script.variable("31"), "");
}

TEST(Executor, LabelsAndEndIfsDoNothing) {
    ScriptRun script("");
    EXPECT_EQ(script.execute("RLBLanything"), Step::next);
    EXPECT_EQ(script.execute("RXEI"), Step::next);
    EXPECT_EQ(script.execute("R009"), Step::stop);
}

TEST(Executor, OneLineIfDispatchesTheRestOfItsRecord) {
    ScriptRun script("");
    EXPECT_EQ(script.execute("R0IF'a'='a'R009"), Step::stop);
    EXPECT_EQ(script.execute("R0IF'a'='b'R009"), Step::next);
    EXPECT_EQ(script.execute("R0IF'a'='a'"), Step::unknown_opcode);
    EXPECT_EQ(script.execute("R0IF'a'='a'R0IF'b'='b'R001[31]'both'"), Step::next);
    EXPECT_EQ(script.variable("31"), "both");
}

TEST(Executor, DeeplyNestedOneLineIfsNeedNoRecursion) {
    ScriptRun script("");
    std::string record;
    for (int i = 0; i < 400000; ++i) record += "R0IF''=''";
    record += "R001[31]'deep'";
    EXPECT_EQ(script.execute(record), Step::next);
    EXPECT_EQ(script.variable("31"), "deep");
}

TEST(Executor, KnowsEveryOpcodeOfTheListOnly) {
    EXPECT_TRUE(is_known_opcode("R000"));
    EXPECT_TRUE(is_known_opcode("RF12"));
    EXPECT_TRUE(is_known_opcode("RLBL"));
    EXPECT_FALSE(is_known_opcode("R002"));
    EXPECT_FALSE(is_known_opcode("R003"));
    EXPECT_FALSE(is_known_opcode("R041"));
    EXPECT_FALSE(is_known_opcode("R00"));
}

TEST(VersionCheck, OtherVersionsShowTheConflictAndStop) {
    for (const char* version : {"'4.5'", "'4.3'", "''", "'abc'", "'44'"}) {
        ScriptRun script("");
        EXPECT_EQ(script.execute(std::string("RRLR") + version), Step::stop) << version;
        EXPECT_EQ(script.conversation(),
                  "message_box title=\"Korvex Runtime Language Conflict\" text=\"ERROR: RTL uses newer "
                  "KXRL-specification!\\nThis may result unpredictable results.\" buttons=OK "
                  "style=0x00000010 -> 1\n");
    }
    for (const char* version : {"'4.4'", "'4.40'", "' 4.4'", "'4.4x'", "'+4.4e0'"}) {
        ScriptRun script("");
        EXPECT_EQ(script.execute(std::string("RRLR") + version), Step::next) << version;
    }
}

TEST(Declaration, ReadsEveryReferenceAndKeepsValues) {
    ScriptRun script("");
    script.execute("R001[31]'x'");
    EXPECT_EQ(script.execute("R000[31][32][33"), Step::next);
    EXPECT_EQ(script.variable("31"), "x");
    EXPECT_NE(script.runtime->variables.find("33"), std::nullopt);
}

TEST(RecordStack, DropsPushesBeyondItsSlotsAndKeepsTheTopInTheLast) {
    RecordStack stack;
    for (int i = 1; i <= 250; ++i) stack.push(i);
    EXPECT_EQ(stack.size(), RecordStack::capacity);
    EXPECT_EQ(stack.top(), 200);
    stack.pop();
    EXPECT_EQ(stack.top(), 199);
    stack.clear();
    stack.pop();
    EXPECT_TRUE(stack.empty());
    EXPECT_EQ(stack.top(), 0);
}

TEST(Loops, ReplayOnJumpLeavesTheLoopsOpenAtTheLabel) {
    // Records: 1 RRPT, 2 RRPT, 3 RUNT, 4 RLBLin, 5 R004in
    ScriptRun script("RRPT\nRRPT\nRUNT'1'='1'\nRLBLin\nR004in\n");
    Runtime& runtime = *script.runtime;
    go_to_record(runtime, 5);
    execute_record(runtime, 5);
    EXPECT_EQ(runtime.reader.instruction_counter, 4);
    EXPECT_EQ(runtime.reader.loop_stack.size(), 1);
    EXPECT_EQ(runtime.reader.loop_stack.top(), 1);
}

TEST(Loops, FalseUntilResumesBehindTheRepeatWithoutTouchingTheStacks) {
    ScriptRun script("R001[31]'x'\nRRPT\nR001[32]'y'\nRUNT'1'='2'\n");
    Runtime& runtime = *script.runtime;
    script.run(4);
    EXPECT_EQ(runtime.reader.instruction_counter, 2);
    EXPECT_EQ(runtime.reader.loop_stack.top(), 2);
    EXPECT_EQ(runtime.reader.loop_stack.size(), 1);
    EXPECT_EQ(runtime.script.record_text(3), "R001[32]'y'");
}

TEST(Calls, ReturnResumesBehindTheCallingRecord) {
    ScriptRun script("R001[31]''\nR005sub\nR001[31][31]#'after'\nR009\nRLBLsub\nR001[31][31]#'sub,'\nR006\n");
    script.run();
    EXPECT_EQ(script.variable("31"), "sub,after");
    EXPECT_TRUE(script.runtime->reader.return_stack.empty());
}

} // namespace
} // namespace korvex::testing
