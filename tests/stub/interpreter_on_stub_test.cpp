// Interpreter tests on the stub platform (src/platform/stub/): what a record does to files and to the
// environment, read back from the machine in memory, so a test needs no temporary directory, restores
// nothing and never touches this machine. Each test starts on an emptied machine.
#include "platform/os.hpp"
#include "platform/stub/stub_machine.hpp"
#include "test_support.hpp"

namespace korvex::testing {
namespace {

class OnStub : public ::testing::Test {
protected:
    void SetUp() override { platform::stub::reset_machine(); }
};

TEST_F(OnStub, AppendWritesUpToTheFirstZeroByteWithCrLf) {
    ScriptRun script("");
    script.execute(std::string("R025'a.txt''ab\0cd'", 18));
    script.execute("R025'a.txt''x\r\ny'");
    EXPECT_EQ(platform::read_whole_file("/work/a.txt"), "ab\r\nx\r\r\ny\r\n");
    EXPECT_EQ(script.variable("0"), "0");
}

TEST_F(OnStub, EmptyValueRemovesAnEnvironmentEntryOrCreatesOneOnlyTheScriptSees) {
    ScriptRun script("");
    script.execute("R016'KX_UNIT_A=1'");
    script.execute("R015[31]'kx_unit_a'");
    EXPECT_EQ(script.variable("31") + "/" + script.variable("0"), "1/0");
    script.execute("R016'kx_unit_a='");
    EXPECT_EQ(script.variable("0"), "0");
    script.execute("R015[31]'KX_UNIT_A'");
    EXPECT_EQ(script.variable("31") + "/" + script.variable("0"), "/-1");
    EXPECT_EQ(platform::environment_variable("KX_UNIT_A"), std::nullopt);

    script.execute("R016'KX_UNIT_EMPTY='");
    script.execute("R015[31]'kx_unit_empty'");
    EXPECT_EQ(script.variable("31") + "/" + script.variable("0"), "/0");
    EXPECT_EQ(platform::environment_variable("KX_UNIT_EMPTY"), std::nullopt)
        << "started programs must not see it";
    // The empty entry exists now, so a second empty assignment removes it...
    script.execute("R016'KX_UNIT_EMPTY='");
    script.execute("R015[31]'KX_UNIT_EMPTY'");
    EXPECT_EQ(script.variable("0"), "-1");
    // ...and a value replaces it in the process environment.
    script.execute("R016'KX_UNIT_EMPTY='");
    script.execute("R016'KX_UNIT_EMPTY=v'");
    script.execute("R015[31]'KX_UNIT_EMPTY'");
    EXPECT_EQ(script.variable("31") + "/" + script.variable("0"), "v/0");
    EXPECT_EQ(platform::environment_variable("KX_UNIT_EMPTY"), "v");
}

} // namespace
} // namespace korvex::testing
