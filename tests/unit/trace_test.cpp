// The trace: one line per executed record, the same on every build, and none without KORVEX_TRACE.
#include <cstdio>

#include "host/trace.hpp"
#include "test_support.hpp"

namespace korvex::testing {
namespace {

std::string traced_run(const std::string& listing, const std::string& answers = "") {
    ScriptRun script(listing, answers);
    std::FILE* file = std::tmpfile();
    {
        Trace trace(file, false, "test");
        script.runtime->host.trace = &trace;
        script.run(100);
    }
    std::string text;
    std::rewind(file);
    for (int byte; (byte = std::fgetc(file)) != EOF;) text += static_cast<char>(byte);
    std::fclose(file);
    return text;
}

TEST(Trace, TellsWhatEachRecordStoredAndWhereTheRunWent) {
    const std::string long_value(300, 'x');
    EXPECT_EQ(traced_run("R001[31]'" + long_value +
                         "'\nRRPT\nRF01[32][32]+'1'\nR005sub\nRUNT[32]='2'\nR0IF[32]='2'R004done\n"
                         "R001[33]'never'\nRLBLdone\nXXXX\nR019[34]'missing.txt'\nR009\nRLBLsub\nR006\n"),
              "#1 R001[31]'" + long_value.substr(0, Trace::shown_length - 9) + "... (310 bytes) | [31]=\"" +
                  long_value.substr(0, Trace::shown_length) +
                  "\"... (300 bytes)\n"
                  "#2 RRPT | loop opens\n"
                  "#3 RF01[32][32]+'1' | [32]=\"1\"\n"
                  "#4 R005sub | call, next #13\n"
                  "#13 R006 | return, next #5\n"
                  "#5 RUNT[32]='2' | loop back, next #3\n"
                  "#3 RF01[32][32]+'1' | [32]=\"2\"\n"
                  "#4 R005sub | call, next #13\n"
                  "#13 R006 | return, next #5\n"
                  "#5 RUNT[32]='2' | loop ends\n"
                  "#6 R0IF[32]='2'R004done | jump, next #9\n"
                  "#9 XXXX | unknown, skipped\n"
                  "#10 R019[34]'missing.txt' | [34]=\"-1\"\n"
                  "#11 R009 | end\n");
    EXPECT_EQ(traced_run("R001[0]'a\tb'\nR004nowhere\n"),
              "#1 R001[0]'a\tb' | [0]=\"a\\tb\"\n#2 R004nowhere | the script ends: the stream has no such "
              "record\n");
}

TEST(Trace, SaysADialogWasAnsweredAlsoBehindAOneLineIf) {
    EXPECT_EQ(traced_run("R008[31]'t''p''d'\nR0IF'a'='a'R031[32]'t''x|y'\nR0IF'a'='b'R032[33]'t''c'''\n",
                         "cancel\nok\n"),
              "#1 R008[31]'t''p''d' | dialog answered; [31]=\"\"\n"
              "#2 R0IF'a'='a'R031[32]'t''x|y' | dialog answered; [32]=\"x\"\n"
              "#3 R0IF'a'='b'R032[33]'t''c'''\n");
}

} // namespace
} // namespace korvex::testing
