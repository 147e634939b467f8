// Left-to-right arithmetic in double precision, and random numbers from the classic linear
// congruential generator, reseeded from the calendar clock every tenth draw.
#include <cmath>

#include "base/numbers.hpp"
#include "core/operands.hpp"
#include "core/results.hpp"
#include "core/runtime.hpp"
#include "core/variables.hpp"
#include "text/text.hpp"

namespace korvex {
namespace {

constexpr double smallest_int64 = -9223372036854775808.0; // -2^63, exact
constexpr int draws_per_seed = 10;

// Truncates toward zero to 64 bits and keeps the low 32 bits as a signed number. What the processor's
// conversion gives for values without a 64-bit whole number (infinities, not-a-numbers, beyond
// +-2^63) has its low 32 bits all zero, so those give 0.
std::int32_t whole_number_of(double value) {
    if (!(value >= smallest_int64 && value < -smallest_int64)) return 0;
    auto whole = static_cast<std::int64_t>(value);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(whole)));
}

// The remainder of truncating division, its sign following the dividend. A divisor of 0 leaves the
// dividend as it is (no quotient is taken out of it); the smallest number by -1 leaves 0.
double whole_number_remainder(double dividend, double divisor) {
    std::int64_t left = whole_number_of(dividend);
    std::int64_t right = whole_number_of(divisor);
    if (right == 0) return static_cast<double>(left);
    return static_cast<double>(left % right);
}

double exclusive_or(double accumulator, double operand) {
    return static_cast<double>(whole_number_of(operand) ^ whole_number_of(accumulator));
}

double apply_operator(char operation, double accumulator, double operand) {
    switch (operation) {
    case '+': return accumulator + operand;
    case '-': return accumulator - operand;
    case '*': return accumulator * operand;
    case '/': return accumulator / operand;
    case '~': return whole_number_remainder(accumulator, operand);
    default: return exclusive_or(accumulator, operand);
    }
}

// One draw: state × 22695477 + 1 modulo 2^32, bits 16 to 30 of the new state.
std::int32_t draw_random(Runtime& runtime) {
    runtime.random.state = runtime.random.state * 22695477u + 1u;
    return static_cast<std::int32_t>((runtime.random.state >> 16) & 0x7FFF);
}

} // namespace

// RF01: left-to-right arithmetic: a value, then operator and value pairs.
Step handle_arithmetic(Runtime& runtime) {
    HeldOperation held;
    if (read_held_operation(runtime, held)) {
        set_number_variable(runtime, held.output, apply_operator(held.operation, held.left, held.right));
        return Step::next;
    }
    VariableSlot name = read_output_variable(runtime);
    double accumulator = read_number(runtime);
    while (has_operands_left(runtime)) {
        char operation = read_operator(runtime);
        accumulator = apply_operator(operation, accumulator, read_number(runtime));
    }
    set_number_variable(runtime, name, accumulator);
    return Step::next;
}

// RF09: random number.
Step handle_random(Runtime& runtime) {
    VariableSlot name = read_output_variable(runtime);
    std::int64_t range = std::int64_t(read_whole_number(read_value(runtime))) + 1;
    if (runtime.random.reseed_countdown <= 0) {
        // The seed is the clock's low 32 bits, as a 32-bit seed parameter would take it.
        std::int64_t seconds =
            runtime.random.seed_clock ? runtime.random.seed_clock() : platform::calendar_seconds();
        runtime.random.state = static_cast<std::uint32_t>(seconds);
        runtime.random.reseed_countdown = draws_per_seed;
    }
    runtime.random.reseed_countdown -= 1;
    if (range < 1) {
        report_result(runtime, false);
        set_variable(runtime, name, "0");
        return Step::next;
    }
    report_result(runtime, true);
    set_variable(runtime, name, whole_number_text(draw_random(runtime) % range));
    return Step::next;
}

} // namespace korvex
