// Runs a listing in-process with the scripted desktop, for tests of whole instructions.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/executor.hpp"
#include "core/runtime.hpp"
#include "core/variables.hpp"
#include "host/host.hpp"
#include "listing.hpp"
#include "platform/desktop.hpp"

namespace korvex::testing {

// A fresh runtime over a listing's stream, with system variables set and a scripted desktop whose
// transcript the test can read.
class ScriptRun {
public:
    explicit ScriptRun(const std::string& listing_text, std::string answers = "") {
        std::vector<std::string> records;
        std::vector<listing::ParseError> errors;
        EXPECT_TRUE(listing::parse(listing_text, records, errors)) << "listing does not parse";
        desktop = make_scripted_desktop_from_text(std::move(answers), &transcript);
        runtime = std::make_unique<Runtime>(*desktop, listing::stream_of(records));
        init_system_variables(*runtime);
        startup_transcript_length = transcript.size();
    }

    // Runs the main loop to the end of the script, or until record_limit records have run.
    ScriptRun& run(std::int64_t record_limit = -1) {
        run_main_loop(*runtime, record_limit);
        return *this;
    }

    // Executes one record at the reader's place and returns its step.
    Step execute(const std::string& record) { return execute_text(*runtime, record); }

    std::string variable(const std::string& name) { return get_variable(*runtime, name); }
    // What the desktop saw after start-up.
    std::string conversation() const { return transcript.substr(startup_transcript_length); }

    std::string transcript;
    std::unique_ptr<Desktop> desktop;
    std::unique_ptr<Runtime> runtime;

private:
    std::size_t startup_transcript_length = 0;
};

// Executes one record on a fresh runtime and gives the value of variable 31; the record must continue
// the script and, unless it is one that reports in variable 0, leave variable 0 alone.
inline std::string result_of(const std::string& record) {
    ScriptRun script("");
    script.execute("R001[0]'unchanged'");
    EXPECT_EQ(script.execute(record), Step::next) << record;
    if (record.compare(0, 4, "RF10") != 0) {
        EXPECT_EQ(script.variable("0"), "unchanged") << record;
    }
    return script.variable("31");
}

// A record and the value it leaves in variable 31.
struct Case {
    const char* record;
    std::string expected;
};

inline void expect_results(std::initializer_list<Case> cases) {
    for (const Case& c : cases) EXPECT_EQ(result_of(c.record), c.expected) << c.record;
}

} // namespace korvex::testing
