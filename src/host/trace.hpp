// The trace of a run: one line per executed record, written where KORVEX_TRACE says. A run without
// a trace never reaches this code; the main loop picks its traced form once, at its start.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace korvex {

struct Runtime;

class Trace {
public:
    // Writes to an open stream; a stream of standard error is flushed, not closed, at the end.
    Trace(std::FILE* stream, bool owns_stream);
    ~Trace();
    Trace(const Trace&) = delete;
    Trace& operator=(const Trace&) = delete;

    // Before record `number` runs: notes what the record may change.
    void before(const Runtime& runtime, std::int32_t number);
    // After it ran with this status: writes its line.
    void after(const Runtime& runtime, std::int32_t status);
    // The script ended in the middle of the record: a jump to a missing label, a skip past the end.
    void ended_in_record(const Runtime& runtime);

    // Texts longer than this are cut, their length shown.
    static constexpr std::size_t shown_length = 120;

private:
    void write_line(const std::string& line);

    std::FILE* stream;
    bool owns_stream;
    std::int32_t number = 0;
    std::string line;
    std::string result_before;
    std::int32_t loops_before = 0;
    std::int32_t returns_before = 0;
};

// The trace KORVEX_TRACE asks for: "-" for standard error, else a file made anew. Nothing when the
// variable is unset or empty; the error text when the file cannot be written.
struct TraceSetting {
    std::unique_ptr<Trace> trace;
    std::optional<std::string> error;
};
TraceSetting trace_from_environment();

// A text as a trace shows it: quoted, escaped, and cut with its length when long.
std::string traced_text(std::string_view text);

} // namespace korvex
