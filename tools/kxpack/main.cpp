// kxpack: builds a stand-alone program from the runtime, the banner line and a stream, and reads the
// stream of a packed program back. Exit codes: 0 done, 1 usage, 2 bad listing, 3 file error.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "core/numbers.hpp"
#include "core/script_image.hpp"
#include "platform/os.hpp"
#include "listing.hpp"

namespace {

using namespace korvex;
namespace fs = std::filesystem;

enum ExitCode { exit_done = 0, exit_usage = 1, exit_bad_listing = 2, exit_file_error = 3 };

struct Failure {
    ExitCode code;
    std::string message;
};

const char* usage_text =
    "usage: kxpack [--runtime RUNTIME] [--raw] INPUT -o PROGRAM   pack a listing (or a raw stream)\n"
    "       kxpack --list PROGRAM [--offset N]                    print the records of a program\n"
    "       kxpack --extract PROGRAM -o STREAM [--offset N]       write the raw stream of a program\n";

std::string read_file(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw Failure{exit_file_error, path + ": cannot be read"};
    std::ostringstream content;
    content << file.rdbuf();
    if (file.bad()) throw Failure{exit_file_error, path + ": cannot be read"};
    return content.str();
}

// Writes through a temporary file renamed into place, so a failure leaves no partial output.
void write_file(const std::string& path, const std::string& content, bool executable) {
    std::string temporary = path + ".kxpack-tmp";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file << content;
        file.close();
        if (!file) {
            std::error_code ignored;
            fs::remove(temporary, ignored);
            throw Failure{exit_file_error, path + ": cannot be written"};
        }
    }
    std::error_code error;
    if (executable)
        fs::permissions(temporary,
                        fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec |
                            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                            fs::perms::others_read,
                        fs::perm_options::replace, error);
    fs::rename(temporary, path, error);
    if (error) {
        fs::remove(temporary, error);
        throw Failure{exit_file_error, path + ": cannot be written"};
    }
}

std::string banner_line() {
    std::string text = "Korvex runtime 4.4 program, packed by kxpack";
    text.resize(banner_length - 4, ' ');
    return "\r\n" + text + "\r\n";
}

// The stripped runtime the build makes beside the packer; where there is none (an installed release,
// whose one runtime is stripped already), the runtime beside it.
std::string default_runtime(const char* own_path) {
    std::string packer = platform::own_executable_path();
    fs::path folder = fs::path(packer.empty() ? std::string(own_path) : packer).parent_path();
    fs::path stripped = folder / ("korvex-stripped" KORVEX_EXECUTABLE_SUFFIX);
    std::error_code error;
    if (fs::exists(stripped, error)) return stripped.string();
    return (folder / ("korvex" KORVEX_EXECUTABLE_SUFFIX)).string();
}

// Where the stream of a packed program starts: behind the runtime's own image and the banner.
std::size_t stream_start_of(const std::string& path, const std::string& program,
                            std::optional<long long> offset) {
    std::size_t start;
    if (offset) {
        if (*offset < 0) throw Failure{exit_usage, "--offset must not be negative"};
        start = static_cast<std::size_t>(*offset);
    } else {
        std::optional<std::size_t> length = executable_image_length(program);
        if (!length)
            throw Failure{exit_file_error, path + ": not an executable of a known format (give --offset)"};
        start = *length + banner_length;
    }
    if (start >= program.size()) throw Failure{exit_file_error, path + ": no stream behind the runtime"};
    return start;
}

int pack(const std::string& runtime_path, const std::string& input, const std::string& output, bool raw) {
    std::string stream;
    std::string text = read_file(input);
    if (raw) {
        stream = std::move(text);
    } else {
        std::vector<std::string> records;
        std::vector<listing::ParseError> errors;
        if (!listing::parse(text, records, errors)) {
            for (const listing::ParseError& error : errors)
                std::cerr << "kxpack: " << input << ":" << error.line << ": " << error.message << "\n";
            return exit_bad_listing;
        }
        stream = listing::stream_of(records);
    }
    std::string runtime = read_file(runtime_path);
    if (!executable_image_length(runtime))
        throw Failure{exit_file_error, runtime_path + ": not a runtime executable"};
    if (executable_image_length(runtime) != runtime.size())
        throw Failure{exit_file_error, runtime_path + ": already has a program appended"};
    write_file(output, runtime + banner_line() + stream, true);
    return exit_done;
}

int list(const std::string& program_path, std::optional<long long> offset) {
    std::string program = read_file(program_path);
    std::size_t start = stream_start_of(program_path, program, offset);
    listing::SplitStream split = listing::split_stream(std::string_view(program).substr(start));
    std::cout << "# " << split.records.size() << " records from " << program_path << " at offset " << start
              << "\n";
    for (const std::string& record : split.records) std::cout << listing::line_of(record) << "\n";
    if (!split.terminated)
        std::cerr << "kxpack: " << program_path << ": " << split.trailing.size()
                  << " bytes after the last record are not the terminator\n";
    return exit_done;
}

int extract(const std::string& program_path, const std::string& output, std::optional<long long> offset) {
    std::string program = read_file(program_path);
    std::size_t start = stream_start_of(program_path, program, offset);
    write_file(output, program.substr(start), false);
    return exit_done;
}

int run(int argc, char** argv) {
    std::string mode = "pack";
    std::string runtime_path = default_runtime(argv[0]);
    std::string output;
    std::string input;
    std::optional<long long> offset;
    bool raw = false;
    std::vector<std::string> arguments(argv + 1, argv + argc);
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= arguments.size()) throw Failure{exit_usage, argument + " needs a value"};
            return arguments[++i];
        };
        if (argument == "--runtime")
            runtime_path = value();
        else if (argument == "-o" || argument == "--output")
            output = value();
        else if (argument == "--raw")
            raw = true;
        else if (argument == "--list")
            mode = "list", input = value();
        else if (argument == "--extract")
            mode = "extract", input = value();
        else if (argument == "--offset") {
            std::string text = value();
            if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
                throw Failure{exit_usage, "--offset takes a whole number of bytes"};
            offset = std::stoll(text);
        } else if (argument == "--help" || argument == "-h") {
            std::cout << usage_text;
            return exit_done;
        } else if (!argument.empty() && argument[0] == '-')
            throw Failure{exit_usage, "unknown option " + argument};
        else if (input.empty())
            input = argument;
        else
            throw Failure{exit_usage, "more than one input"};
    }
    if (input.empty()) throw Failure{exit_usage, "no input given"};
    if (mode == "list") return list(input, offset);
    if (output.empty()) throw Failure{exit_usage, "no output given (-o)"};
    if (mode == "extract") return extract(input, output, offset);
    return pack(runtime_path, input, output, raw);
}

} // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const Failure& failure) {
        std::cerr << "kxpack: " << failure.message << "\n";
        if (failure.code == exit_usage) std::cerr << usage_text;
        return failure.code;
    } catch (const std::exception& error) {
        std::cerr << "kxpack: " << error.what() << "\n";
        return exit_file_error;
    }
}
