// kxpack: builds a stand-alone program from the runtime, the banner line and a stream, and reads the
// stream of a packed program back. Exit codes: 0 done, 1 usage (also an output that names an input),
// 2 bad listing, 3 a file that cannot be read or written or is not what it must be.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "base/stream.hpp"
#include "base/version.hpp"
#include "checks.hpp"
#include "decoder/opcodes.hpp"
#include "decoder/script_image.hpp"
#include "decoder/script_index.hpp"
#include "decoder/variable_store.hpp"
#include "listing.hpp"
#include "platform/os.hpp"
#include "platform/output_file.hpp"
#include "platform/process.hpp"

namespace {

using namespace korvex;
namespace fs = std::filesystem;
using platform::NewFileKind;

enum ExitCode { exit_done = 0, exit_usage = 1, exit_bad_listing = 2, exit_file_error = 3 };

struct Failure {
    ExitCode code;
    std::string message;
};

// The usage as --help prints it; README.md and docs/guide.md show it, and a test keeps them the same.
const char* usage_text =
    "kxpack [--runtime RUNTIME] [--strict] [--raw] INPUT -o PROGRAM   pack a listing (or, with --raw, a "
    "stream file)\n"
    "       [--line-map MAP]                                          and write MAP: each record's listing "
    "line\n"
    "kxpack [--strict] --check LISTING                                check a listing without packing it\n"
    "kxpack [--runtime RUNTIME] --run LISTING [ARGS...]               pack to a temporary program, run it "
    "here with\n"
    "                                                                 the arguments, remove it, exit with "
    "its status\n"
    "kxpack --list PROGRAM [--explain] [--offset N]                   print a program's records as a "
    "listing\n"
    "                                                                 (--explain: each record's number "
    "and\n"
    "                                                                 instruction in a comment line "
    "before it)\n"
    "kxpack --extract PROGRAM -o STREAM [--offset N]                  write a program's raw stream\n";

// Reads with the C streams, which report a read error (a directory, an unreadable device) rather than
// ending early as if the file ended there; pipes can be read too.
std::string read_file(const std::string& path) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file) throw Failure{exit_file_error, path + ": cannot be read"};
    std::string content;
    char block[65536];
    while (std::size_t count = std::fread(block, 1, sizeof block, file.get())) content.append(block, count);
    if (std::ferror(file.get())) throw Failure{exit_file_error, path + ": cannot be read"};
    return content;
}

// The name of the file that a path leads to through symbolic links; that file need not exist yet.
fs::path followed_links(const std::string& path) {
    fs::path current = path;
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(current, error))) return current;
        fs::path target = fs::read_symlink(current, error);
        if (error) break;
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    throw Failure{exit_file_error, path + ": cannot be written (its symbolic links lead nowhere)"};
}

std::string unused_name_beside(const fs::path& path) {
    static std::mt19937 generator{std::random_device{}()};
    const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::uniform_int_distribution<std::size_t> pick(0, sizeof letters - 2);
    std::string name = path.string() + ".kxpack-";
    for (int i = 0; i < 6; ++i) name += letters[pick(generator)];
    return name;
}

// Writes a new file beside the target and renames it into place, so a failure leaves the target as it
// was. An existing target keeps its permissions; a new one gets those of new files of its kind.
void replace_file(const fs::path& target, const std::string& content, NewFileKind kind, bool target_exists) {
    const std::string failed = target.string() + ": cannot be written";
    platform::OutputFile file;
    std::string temporary;
    for (int attempt = 0; attempt < 100 && !file.is_open(); ++attempt) {
        temporary = unused_name_beside(target);
        file.create_new(temporary, kind);
    }
    if (!file.is_open()) throw Failure{exit_file_error, failed};
    bool written = file.write(content) && (!target_exists || file.copy_permissions_from(target.string()));
    written = file.close() && written;
    std::error_code error;
    if (written) fs::rename(temporary, target, error);
    if (!written || error) {
        fs::remove(temporary, error);
        throw Failure{exit_file_error, failed};
    }
}

// Writes an output file. A regular file (also one that a symbolic link leads to) is replaced whole;
// anything else, such as a device or a pipe, is written where it is.
void write_file(const std::string& path, const std::string& content, NewFileKind kind) {
    std::error_code error;
    fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::none) throw Failure{exit_file_error, path + ": cannot be written"};
    if (fs::is_directory(status)) throw Failure{exit_file_error, path + ": is a directory"};
    const bool exists = fs::exists(status);
    fs::path target = followed_links(path);
    // A link that the system resolves by itself (a descriptor's link under /proc) names no file that the
    // text of the link could reach; such a file is written where it is, too.
    const bool reached = !exists || fs::equivalent(path, target, error);
    if (exists && (!fs::is_regular_file(status) || !reached)) {
        platform::OutputFile file;
        bool written = file.open_existing(path) && file.write(content);
        if (!(file.close() && written)) throw Failure{exit_file_error, path + ": cannot be written"};
        return;
    }
    replace_file(target, content, kind, exists);
}

// Refuses an output that is one of the inputs (the same file under any name, as device and inode tell):
// writing it would replace the runtime or the listing that the program is made from.
void refuse_output_over(const std::string& output, const std::string& input, const char* role) {
    std::error_code error;
    if (fs::is_regular_file(output, error) && fs::equivalent(output, input, error))
        throw Failure{exit_usage, output + ": is the " + role + " " + input + " itself; name another output"};
}

std::string banner_line() {
    std::string text = std::string("Korvex runtime ") + language_version_text + " program, packed by kxpack";
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
                            std::optional<std::uint64_t> offset) {
    std::uint64_t start;
    if (offset) {
        start = *offset;
    } else {
        std::optional<std::size_t> length = executable_image_length(program);
        if (!length)
            throw Failure{exit_file_error, path + ": not an executable of a known format (give --offset)"};
        start = *length + banner_length;
    }
    if (start >= program.size()) throw Failure{exit_file_error, path + ": no stream behind the runtime"};
    return static_cast<std::size_t>(start);
}

// A listing's records and the line each stands on.
struct ReadListing {
    std::vector<std::string> records;
    std::vector<int> lines;
};

// Reads a listing into records; the checks' findings go to standard error, as errors with strict.
// Nothing when the listing has errors.
std::optional<ReadListing> read_listing(const std::string& input, bool strict) {
    std::vector<std::string> records;
    std::vector<listing::ParseError> errors;
    std::vector<int> lines;
    if (!listing::parse(read_file(input), records, errors, &lines)) {
        for (const listing::ParseError& error : errors)
            std::cerr << "kxpack: " << input << ":" << error.line << ": " << error.message << "\n";
        return std::nullopt;
    }
    std::vector<listing::ListedRecord> listed;
    for (std::size_t i = 0; i < records.size(); ++i) listed.push_back({lines[i], records[i]});
    std::vector<listing::Finding> findings = listing::check_records(listed);
    for (const listing::Finding& finding : findings)
        std::cerr << input << ":" << finding.line << ": " << (strict ? "error: " : "warning: ")
                  << finding.message << "\n    fix: " << finding.hint << "\n";
    if (strict && !findings.empty()) return std::nullopt;
    return ReadListing{std::move(records), std::move(lines)};
}

// The line map a trace names listing places from: "LISTING:LINE" for each record, record 1 first.
std::string line_map_of(const std::string& input, const std::vector<int>& lines) {
    std::string map;
    for (int line : lines) map += input + ":" + std::to_string(line) + "\n";
    return map;
}

// Packs; with a line map path, also writes the map of the listing's records there.
int pack(const std::string& runtime_path, const std::string& input, const std::string& output, bool raw,
         bool strict, const std::string& line_map = "") {
    if (!line_map.empty() && raw) throw Failure{exit_usage, "--line-map needs a listing, not a raw stream"};
    refuse_output_over(output, runtime_path, "runtime");
    refuse_output_over(output, input, "input");
    std::string stream;
    std::string map;
    if (raw) {
        stream = read_file(input);
    } else {
        std::optional<ReadListing> listing = read_listing(input, strict);
        if (!listing) return exit_bad_listing;
        stream = listing::stream_of(listing->records);
        map = line_map_of(input, listing->lines);
    }
    std::string runtime = read_file(runtime_path);
    std::optional<std::size_t> image_length = executable_image_length(runtime);
    if (!image_length)
        throw Failure{exit_file_error, runtime_path + ": not a runtime (kxpack reads ELF and PE executables, "
                                                      "little-endian, as the runtime does)"};
    if (*image_length != runtime.size())
        throw Failure{exit_file_error, runtime_path + ": already has a program appended"};
    write_file(output, runtime + banner_line() + stream, NewFileKind::program);
    if (!line_map.empty()) write_file(line_map, map, NewFileKind::data);
    return exit_done;
}

int check(const std::string& input, bool strict) {
    return read_listing(input, strict) ? exit_done : exit_bad_listing;
}

// Packs the listing into a program of a fresh name in the temporary directory, runs it here with the
// arguments, removes it and gives its exit status (a program ended by signal N: 128 + N, as a shell).
int pack_and_run(const std::string& runtime_path, const std::string& input,
                 const std::vector<std::string>& arguments, bool strict) {
    std::random_device random;
    fs::path program = fs::temp_directory_path() /
                       ("kxpack-run-" + std::to_string(random()) + "-" + fs::path(input).stem().string());
    program += KORVEX_EXECUTABLE_SUFFIX;
    const std::string line_map = program.string() + ".lines";
    int packed = pack(runtime_path, input, program.string(), false, strict, line_map);
    if (packed != exit_done) return packed;
    // A trace of the run names each record's listing line.
    platform::set_environment_variable("KORVEX_TRACE_LINES", line_map);
    std::string command_line = platform::quote_argument(program.string());
    for (const std::string& argument : arguments) {
        command_line += ' ';
        command_line += platform::quote_argument(argument);
    }
    std::cout.flush();
    // An interrupt goes to the program; kxpack outlasts it and removes the program.
    std::optional<std::int32_t> status = platform::run_program_in_place_of_tool(command_line);
    std::error_code ignored;
    fs::remove(program, ignored);
    fs::remove(line_map, ignored);
    if (!status) throw Failure{exit_file_error, program.string() + ": cannot be started"};
    return *status > 255 ? 128 + (*status - 256) : *status;
}

// A comment line before a record: its number and what its instruction is, through one-line ifs, as
// the runtime decodes it.
std::string explanation(std::size_t number, const std::string& record) {
    std::string text = "# ";
    text += std::to_string(number);
    text += ':';
    DecodedProgram program;
    program.bytes = record;
    VariableStore variables;
    for (std::size_t index = decode_record(program, record, variables, nullptr);;) {
        const DecodedRecord& decoded = program.records[index];
        if (decoded.opcode == Opcode::unknown) return text + " unknown instruction, skipped";
        const InstructionInfo info = instruction_info(decoded.opcode);
        text.append(" ").append(info.code).append(" ").append(info.name);
        if (decoded.opcode != Opcode::R0IF) return text;
        text += ", then";
        index = decoded.embedded_record();
    }
}

int list(const std::string& program_path, std::optional<std::uint64_t> offset, bool explain) {
    std::string program = read_file(program_path);
    std::size_t start = stream_start_of(program_path, program, offset);
    listing::SplitStream split = listing::split_stream(std::string_view(program).substr(start));
    std::cout << "# " << split.records.size() << " records from " << program_path << " at offset " << start
              << "\n";
    for (std::size_t i = 0; i < split.records.size(); ++i) {
        if (explain) std::cout << explanation(i + 1, split.records[i]) << "\n";
        std::cout << listing::line_of(split.records[i]) << "\n";
    }
    if (!std::cout.flush()) throw Failure{exit_file_error, "the standard output cannot be written"};
    if (!split.terminated)
        std::cerr << "kxpack: " << program_path << ": " << split.trailing.size()
                  << " bytes after the last record are not the terminator\n";
    return exit_done;
}

int extract(const std::string& program_path, const std::string& output, std::optional<std::uint64_t> offset) {
    refuse_output_over(output, program_path, "program");
    std::string program = read_file(program_path);
    std::size_t start = stream_start_of(program_path, program, offset);
    write_file(output, program.substr(start), NewFileKind::data);
    return exit_done;
}

std::uint64_t offset_of(const std::string& text) {
    std::uint64_t offset = 0;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, offset);
    if (error == std::errc::result_out_of_range)
        throw Failure{exit_usage, "--offset " + text + " is larger than any file"};
    if (error != std::errc() || stop != end)
        throw Failure{exit_usage, "--offset takes a whole number of bytes"};
    return offset;
}

int run(int argc, char** argv) {
    std::string mode = "pack";
    std::string runtime_path = default_runtime(argv[0]);
    std::string output;
    std::string input;
    std::optional<std::uint64_t> offset;
    bool raw = false;
    bool strict = false;
    bool explain = false;
    std::string line_map;
    std::vector<std::string> program_arguments;
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
        else if (argument == "--strict")
            strict = true;
        else if (argument == "--line-map")
            line_map = value();
        else if (argument == "--check")
            mode = "check", input = value();
        else if (argument == "--run") {
            mode = "run", input = value();
            program_arguments.assign(arguments.begin() + static_cast<std::ptrdiff_t>(i) + 1, arguments.end());
            break;
        } else if (argument == "--explain")
            explain = true;
        else if (argument == "--list")
            mode = "list", input = value();
        else if (argument == "--extract")
            mode = "extract", input = value();
        else if (argument == "--offset")
            offset = offset_of(value());
        else if (argument == "--help" || argument == "-h") {
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
    if (!line_map.empty() && mode != "pack") throw Failure{exit_usage, "--line-map goes with packing"};
    if (mode == "list") return list(input, offset, explain);
    if (mode == "check") return check(input, strict);
    if (mode == "run") return pack_and_run(runtime_path, input, program_arguments, strict);
    if (output.empty()) throw Failure{exit_usage, "no output given (-o)"};
    if (mode == "extract") return extract(input, output, offset);
    return pack(runtime_path, input, output, raw, strict, line_map);
}

} // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const Failure& failure) {
        std::cerr << "kxpack: " << failure.message << "\n";
        if (failure.code == exit_usage) std::cerr << "usage:\n" << usage_text;
        return failure.code;
    } catch (const std::exception& error) {
        std::cerr << "kxpack: " << error.what() << "\n";
        return exit_file_error;
    }
}
