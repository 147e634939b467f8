// RF10 goes on from where it stopped in an unchanged text: random walks over random lists, with the
// fields asked for in and out of order and the text changed between them, give the same fields as
// searching every field from the start.
#include <random>

#include "test_support.hpp"

namespace korvex::testing {
namespace {

// Pieces of texts and separators: separators that overlap themselves, a multi-byte one, the empty one.
const char* const pieces[] = {"a", "b", "|", "ab", "aa", "\xc3\xa9", "||", "x"};
const char* const separators[] = {"'|'", "'ab'", "'aa'", "'\xc3\xa9'", "''", "'||'", "'a'", "[33]"};

std::string random_script(std::mt19937& random) {
    auto pick = [&](std::size_t count) {
        return std::uniform_int_distribution<std::size_t>(0, count - 1)(random);
    };
    auto text = [&] {
        std::string literal = "'";
        for (std::size_t length = pick(12); length > 0; --length) literal += pieces[pick(std::size(pieces))];
        return literal + "'";
    };
    auto separator = [&] { return std::string(separators[pick(std::size(separators))]); };
    auto list = [&] { return pick(2) == 0 ? std::string("[31]") : std::string("[32]"); };
    std::string script = "R001[31]" + text() + "\nR001[32]" + text() + "\nR001[33]'|'\nR001[35]'0'\nRRPT\n";
    for (int i = 0; i < 10; ++i) {
        switch (pick(8)) {
        case 0: script += "R001[31][31]#" + text() + "\n"; break;
        case 1:
            script += "RF10" + list() + list() + separator() + "'" + std::to_string(pick(4)) + "'\n";
            break;
        case 2: script += "RF01[35][35]-'" + std::to_string(pick(3)) + "'\n"; break;
        case 3: script += "RF10[36]" + list() + separator() + "'" + std::to_string(pick(9)) + "'\n"; break;
        default: script += "RF10[36]" + list() + separator() + "[35]\n"; break;
        }
        script += "R001[38][38]#[36]#'/'\nRF01[35][35]+'1'\n";
    }
    return script + "RUNT[35]>'30'\n";
}

TEST(FieldCursor, WalksGiveTheFieldsOfAPlainSearch) {
    std::mt19937 random(20261211);
    for (int round = 0; round < 400; ++round) {
        std::string listing = random_script(random);
        ScriptRun with(listing), without(listing);
        without.runtime->options.value_shortcuts = false;
        with.run(5000);
        without.run(5000);
        for (const char* name : {"31", "32", "35", "36", "38"})
            ASSERT_EQ(with.variable(name), without.variable(name)) << "variable " << name << " of\n"
                                                                   << listing;
    }
}

} // namespace
} // namespace korvex::testing
