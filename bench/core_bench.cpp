// Speed of the interpreter core: loops and calls deep in a long script, which move back by record
// number, and a store holding many variables.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "core/runtime.hpp"
#include "core/variables.hpp"
#include "host/host.hpp"
#include "listing.hpp"
#include "platform/desktop.hpp"

namespace korvex {
namespace {

std::string stream_of_listing(const std::string& text) {
    std::vector<std::string> records;
    std::vector<listing::ParseError> errors;
    listing::parse(text, records, errors);
    return listing::stream_of(records);
}

void run_stream(benchmark::State& state, const std::string& stream) {
    for (auto _ : state) {
        std::unique_ptr<Desktop> desktop = make_scripted_desktop_from_text("", nullptr);
        Runtime runtime(*desktop, std::string(stream));
        init_system_variables(runtime);
        run_main_loop(runtime);
        benchmark::DoNotOptimize(runtime.reader.instruction_counter);
    }
}

// `padding` records of other work in front of the code that runs.
std::string padded(int padding, const std::string& body) {
    std::string text = "R004start\n";
    for (int i = 0; i < padding; ++i) text += "R001[50]'padding record " + std::to_string(i) + "'\n";
    return text + "RLBLstart\n" + body;
}

// 10,000 rounds of a loop that stands behind the padding.
void loop_deep_in_script(benchmark::State& state) {
    run_stream(state, stream_of_listing(padded(static_cast<int>(state.range(0)),
                                               "R001[31]''\nR001[32]''\nRRPT\nR001[31][31]#'x'\n"
                                               "R0IF[31]='xxxxxxxxxx'R001[31]''\n"
                                               "R0IF[31]=''R001[32][32]#'y'\n"
                                               "RUNT[32]='" +
                                                   std::string(1000, 'y') + "'\nR009\n")));
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(loop_deep_in_script)->Arg(10)->Arg(5000)->Unit(benchmark::kMillisecond);

// 1,000 calls of a subroutine from a loop, both behind the padding.
void calls_deep_in_script(benchmark::State& state) {
    run_stream(state,
               stream_of_listing(padded(static_cast<int>(state.range(0)),
                                        "R001[31]''\nRRPT\nR005sub\nRUNT[31]='" + std::string(1000, 'x') +
                                            "'\nR009\nRLBLsub\nR001[31][31]#'x'\nR006\n")));
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(calls_deep_in_script)->Arg(10)->Arg(5000)->Unit(benchmark::kMillisecond);

void store_and_read_many_variables(benchmark::State& state) {
    std::unique_ptr<Desktop> desktop = make_scripted_desktop_from_text("", nullptr);
    Runtime runtime(*desktop, std::string());
    std::vector<std::string> names;
    for (int i = 0; i < 10000; ++i) names.push_back(std::to_string(100 + i));
    for (auto _ : state) {
        for (const std::string& name : names) set_variable(runtime, name, name);
        for (const std::string& name : names) benchmark::DoNotOptimize(get_variable(runtime, name));
    }
    state.SetItemsProcessed(state.iterations() * 20000);
}
BENCHMARK(store_and_read_many_variables)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace korvex
