// Number reading and writing against the C library. read_real_number reads what strtod reads, except
// that inf, nan and hexadecimal forms are no numbers (they read as 0, a "0x" as its "0"); the whole
// numbers are strtoll's clamped to 32 bits; format_number writes what "%lf" writes with its trailing
// zeros and a bare point cut, and +INF, -INF, +NAN, -NAN for the values that have no digits.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "base/numbers.hpp"

namespace {

using namespace korvex;

void require(bool condition, const char* what, const std::string& input) {
    if (condition) return;
    std::fprintf(stderr, "%s differs for \"%s\"\n", what, input.c_str());
    std::abort();
}

bool is_white_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

double reference_real(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && is_white_space(text[i])) ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (i < text.size() && std::string_view("iInN").find(text[i]) != std::string_view::npos) return 0.0;
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X'))
        return std::strtod(text.substr(0, i + 1).c_str(), nullptr);
    return std::strtod(text.c_str(), nullptr);
}

std::int32_t reference_whole(const std::string& text) {
    long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

std::string reference_text(double value) {
    if (std::isnan(value)) return std::signbit(value) ? "-NAN" : "+NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "+INF";
    char text[400];
    int length = std::snprintf(text, sizeof text, "%lf", value);
    std::string result(text, static_cast<std::size_t>(length));
    while (result.back() == '0') result.pop_back();
    if (result.back() == '.') result.pop_back();
    return result;
}

bool same_double(double left, double right) {
    return std::memcmp(&left, &right, sizeof left) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);

    double read = read_real_number(text);
    require(same_double(read, reference_real(text)), "read_real_number", text);
    require(read_whole_number(text) == reference_whole(text), "read_whole_number", text);
    require(format_number(read) == reference_text(read), "format_number", text);

    if (size >= sizeof(double)) {
        double value;
        std::memcpy(&value, data, sizeof value);
        require(format_number(value) == reference_text(value), "format_number of the first 8 bytes", text);
    }
    return 0;
}
