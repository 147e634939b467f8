// The trace of a run: one line per executed record, written where KORVEX_TRACE says. A run without
// a trace never reaches this code; the main loop picks its traced form once, at its start.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/host.hpp"

namespace korvex {

struct Runtime;

class Trace final : public RecordWatcher {
public:
    // Writes to an open stream, named so in messages; a stream of standard error is flushed, not
    // closed, at the end. A line that cannot be written throws OutputLost.
    Trace(std::FILE* stream, bool owns_stream, std::string name);
    ~Trace();
    Trace(const Trace&) = delete;
    Trace& operator=(const Trace&) = delete;

    // Before record `number` runs: notes what the record may change.
    bool before(const Runtime& runtime, std::int32_t number) override;
    // After it ran: writes its line.
    bool after(const Runtime& runtime, Step step) override;
    // The script ended in the middle of the record: a jump to a missing label, a skip past the end.
    void ended_in_record(const Runtime& runtime) override;
    // At the run's end: stores every line, or throws OutputLost.
    void finish();

    // Names the listing place of each record, record 1 first ("script.kxs:3"); a record without one
    // is shown without.
    void name_places(std::vector<std::string> record_places) { places = std::move(record_places); }

    // Texts longer than this are cut, their length shown.
    static constexpr std::size_t shown_length = 120;

private:
    void write_line(const std::string& line);
    [[noreturn]] void lost();

    std::FILE* stream;
    bool owns_stream;
    std::string name;
    std::int32_t number = 0;
    std::string line;
    std::string result_before;
    std::int32_t loops_before = 0;
    std::int32_t returns_before = 0;
    std::uint32_t dialogs_before = 0;
    std::vector<std::string> places;
};

// The trace KORVEX_TRACE asks for: "-" for standard error, else a file made anew. Nothing when the
// variable is unset or empty; the error text when the file cannot be written.
struct TraceSetting {
    std::unique_ptr<Trace> trace;
    std::optional<std::string> error;
};
TraceSetting trace_from_environment();

// The listing places KORVEX_TRACE_LINES names: a file of one line per record, "FILE:LINE" (kxpack
// writes it). None when the variable is unset or empty; the error text when the file cannot be read.
struct TracePlaces {
    std::vector<std::string> places;
    std::optional<std::string> error;
};
TracePlaces trace_places_from_environment();

// A text as a trace shows it: quoted, escaped, and cut with its length when long.
std::string traced_text(std::string_view text);

} // namespace korvex
