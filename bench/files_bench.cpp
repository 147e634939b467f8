// Reading every line of a 20,000-line file with R024 and copying a 50 MB file with R026, each beside
// the byte-by-byte stream loop that the instructions replace.
// build/bench/korvex_benchmarks --benchmark_filter="line|copy" runs these alone.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "core/executor.hpp"
#include "core/runtime.hpp"
#include "core/variables.hpp"
#include "host/host.hpp"
#include "platform/desktop.hpp"

namespace {

namespace fs = std::filesystem;

constexpr int line_count = 20000;
constexpr std::size_t copy_size = 50u << 20;

fs::path bench_directory() {
    fs::path directory = fs::temp_directory_path() / "korvex-files-bench";
    fs::create_directories(directory);
    return directory;
}

const std::string& lines_file() {
    static const std::string path = [] {
        std::string name = (bench_directory() / "lines.txt").string();
        std::ofstream file(name, std::ios::binary);
        for (int number = 1; number <= line_count; ++number)
            file << "line " << number << " of the file, with some text behind it\r\n";
        return name;
    }();
    return path;
}

const std::string& large_file() {
    static const std::string path = [] {
        std::string name = (bench_directory() / "large.bin").string();
        std::ofstream file(name, std::ios::binary);
        std::string block(1 << 20, '\0');
        for (std::size_t index = 0; index < block.size(); ++index)
            block[index] = static_cast<char>(index * 131);
        for (std::size_t written = 0; written < copy_size; written += block.size()) file << block;
        return name;
    }();
    return path;
}

// A runtime with its system variables, ready to execute single records.
struct BenchRuntime {
    BenchRuntime() : desktop(korvex::make_scripted_desktop_from_text("", &transcript)) {
        runtime = std::make_unique<korvex::Runtime>(*desktop, std::string());
        korvex::init_system_variables(*runtime);
    }
    void execute(const std::string& record) { korvex::execute_text(*runtime, record); }
    std::string transcript;
    std::unique_ptr<korvex::Desktop> desktop;
    std::unique_ptr<korvex::Runtime> runtime;
};

void read_every_line(benchmark::State& state) {
    const std::string& path = lines_file();
    BenchRuntime bench;
    for (auto _ : state) {
        for (int number = 1; number <= line_count; ++number)
            bench.execute("R024[31]'" + path + "''" + std::to_string(number) + "'");
        if (korvex::get_variable(*bench.runtime, "31") != "line 20000 of the file, with some text behind it")
            state.SkipWithError("wrong last line");
    }
}
BENCHMARK(read_every_line)->Unit(benchmark::kMillisecond)->Iterations(3);

// Line N read as a stream, byte by byte: the loop R024 replaces.
void read_every_line_byte_by_byte(benchmark::State& state) {
    const std::string& path = lines_file();
    for (auto _ : state) {
        std::string line;
        for (int number = 1; number <= line_count; ++number) {
            std::FILE* file = std::fopen(path.c_str(), "rb");
            for (int skipped = 1; skipped < number; ++skipped)
                for (int byte = std::fgetc(file); byte != EOF && byte != '\n';) byte = std::fgetc(file);
            line.clear();
            for (int byte = std::fgetc(file); byte != EOF && byte != '\r' && byte != '\n';
                 byte = std::fgetc(file))
                line += static_cast<char>(byte);
            std::fclose(file);
        }
        benchmark::DoNotOptimize(line);
    }
}
BENCHMARK(read_every_line_byte_by_byte)->Unit(benchmark::kMillisecond)->Iterations(1);

void copy_large_file(benchmark::State& state) {
    const std::string& path = large_file();
    std::string copy = (bench_directory() / "copy.bin").string();
    BenchRuntime bench;
    for (auto _ : state) {
        bench.execute("R026'" + path + "''" + copy + "'");
        if (korvex::get_variable(*bench.runtime, "0") != "0") state.SkipWithError("copy failed");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * copy_size));
}
BENCHMARK(copy_large_file)->Unit(benchmark::kMillisecond)->Iterations(5);

// The copy as one byte per read and one per write through streams: the loop R026 replaces.
void copy_large_file_byte_by_byte(benchmark::State& state) {
    const std::string& path = large_file();
    std::string copy = (bench_directory() / "copy.bin").string();
    for (auto _ : state) {
        std::FILE* source = std::fopen(path.c_str(), "rb");
        std::FILE* destination = std::fopen(copy.c_str(), "wb");
        for (int byte = std::fgetc(source); byte != EOF; byte = std::fgetc(source))
            std::fputc(byte, destination);
        std::fclose(source);
        std::fclose(destination);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * copy_size));
}
BENCHMARK(copy_large_file_byte_by_byte)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace
