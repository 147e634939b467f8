// Speed of number formatting and of a script that works mostly on texts, run in-process.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "base/numbers.hpp"
#include "core/runtime.hpp"
#include "host/host.hpp"
#include "listing.hpp"
#include "platform/desktop.hpp"

namespace korvex {
namespace {

void format_whole_numbers(benchmark::State& state) {
    double value = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(format_number(value));
        value = value < 1e9 ? value * 3 + 1 : 0;
    }
}
BENCHMARK(format_whole_numbers);

void format_fractions(benchmark::State& state) {
    double value = 0.1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(format_number(value));
        value = value < 1e9 ? value * 3.7 + 0.013 : 0.1;
    }
}
BENCHMARK(format_fractions);

void format_huge_numbers(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(format_number(1.7976931348623157e308));
}
BENCHMARK(format_huge_numbers);

// A loop of 500 rounds that splits, cleans, searches, replaces, joins and counts.
const char* const string_heavy_listing = R"(RRLR'4.4'
R001[31]'  alpha;Beta;gamma ;delta;epsilon;zeta;eta;theta  '
R001[32]'0'
R001[40]''
RRPT
RF01[32][32]+'1'
RF01[33][32]~'8'+'1'
RF10[34][31]';'[33]
RF05[34][34]
RF03[35][34]
RF04[36][35]
RF11[37][31]';''|'
RF02[38][37]'|''3'
RF08[39][37][38]'4'
RF07[41][37]
RF12[42][36]
RF06[43][42]
RF00[40][35]'-'[36]'-'[39]'-'[41]'-'[43]
RF01[44][41]*'3.5'/'7'
RUNT[32]='500'
R009
)";

void run_string_heavy_script(benchmark::State& state) {
    std::vector<std::string> records;
    std::vector<listing::ParseError> errors;
    listing::parse(string_heavy_listing, records, errors);
    const std::string stream = listing::stream_of(records);
    for (auto _ : state) {
        std::string transcript;
        std::unique_ptr<Desktop> desktop = make_scripted_desktop_from_text("", &transcript);
        Runtime runtime(*desktop, std::string(stream));
        init_system_variables(runtime);
        run_main_loop(runtime);
        benchmark::DoNotOptimize(runtime.variables.find("40"));
    }
}
BENCHMARK(run_string_heavy_script)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace korvex
