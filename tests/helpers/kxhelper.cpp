// A small program that the end-to-end scripts start, written in plain C++ so that it builds for
// every platform the runtime runs on. The first argument chooses what it does:
//   kxhelper exit N               ends with exit code N
//   kxhelper env NAME FILE        writes the value of the environment variable NAME (or "<unset>")
//   kxhelper args FILE ARG...     writes each argument as "[ARG]" on its own line
//   kxhelper signal N             raises signal N
//   kxhelper sleep MS             waits MS milliseconds, then ends with exit code 0
//   kxhelper wait-file FILE       waits up to 20 seconds for FILE to exist: exit code 0, else 1
//   kxhelper stamp FILE           sets FILE's write time a day back, to a whole second
//   kxhelper rewrite FILE OLD NEW replaces each byte OLD of FILE by NEW in place and puts the write
//                                 time back (exactly, once stamped: the Windows C++ library reads and
//                                 sets it in whole seconds)
// Started under any other name (as a stand-in for a document opener), it appends its arguments,
// joined by blanks, as one line to "opened.txt" in the current directory.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

namespace {

bool file_exists(const char* name) {
    return std::ifstream(name).good();
}

int rewrite(const char* name, char old_byte, char new_byte) {
    std::error_code error;
    auto time = std::filesystem::last_write_time(name, error);
    if (error) return 1;
    std::fstream file(name, std::ios::in | std::ios::out | std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::replace(content.begin(), content.end(), old_byte, new_byte);
    file.seekp(0);
    file.write(content.data(), static_cast<std::streamsize>(content.size()));
    file.close();
    std::filesystem::last_write_time(name, time, error);
    return file && !error ? 0 : 1;
}

int run(int argc, char** argv) {
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "exit" && argc > 2) return std::atoi(argv[2]);
    if (mode == "env" && argc > 3) {
        const char* value = std::getenv(argv[2]);
        std::ofstream(argv[3], std::ios::binary) << (value ? value : "<unset>");
        return 0;
    }
    if (mode == "args" && argc > 2) {
        std::ofstream out(argv[2], std::ios::binary);
        for (int i = 3; i < argc; ++i) out << '[' << argv[i] << "]\n";
        return 0;
    }
    if (mode == "signal" && argc > 2) return std::raise(std::atoi(argv[2])) == 0 ? 0 : 100;
    if (mode == "sleep" && argc > 2) {
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[2])));
        return 0;
    }
    if (mode == "wait-file" && argc > 2) {
        for (int waited = 0; waited < 2000; ++waited) {
            if (file_exists(argv[2])) return 0;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return 1;
    }
    if (mode == "stamp" && argc > 2) {
        std::error_code error;
        auto time = std::filesystem::last_write_time(argv[2], error);
        if (!error)
            std::filesystem::last_write_time(
                argv[2], std::chrono::floor<std::chrono::seconds>(time) - std::chrono::hours(24), error);
        return error ? 1 : 0;
    }
    if (mode == "rewrite" && argc > 4) return rewrite(argv[2], argv[3][0], argv[4][0]);
    return 101;
}

bool called_by_own_name(const std::string& program) {
    std::size_t slash = program.find_last_of("/\\");
    std::string base = slash == std::string::npos ? program : program.substr(slash + 1);
    return base.rfind("kxhelper", 0) == 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 0 && called_by_own_name(argv[0])) return run(argc, argv);
    std::ofstream out("opened.txt", std::ios::binary | std::ios::app);
    for (int i = 1; i < argc; ++i) out << (i > 1 ? " " : "") << argv[i];
    out << '\n';
    return 0;
}
