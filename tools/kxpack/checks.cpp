// Checks of a listing; see checks.hpp. The operands are read here by the strict form a record is
// written in ([name], 'text', "#" joins, operators between values), while the runtime reads them by
// position and never complains: a record this check finds fault with still runs, just not as meant.
#include "checks.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <optional>
#include <string_view>

#include "base/ascii.hpp"
#include "base/escapes.hpp"
#include "decoder/opcodes.hpp"

namespace korvex::listing {
namespace {

constexpr std::array known_codes = {
#define KORVEX_OPCODE(code, handler, shape, values, ...) std::string_view(#code),
#include "decoder/opcodes.def"
#undef KORVEX_OPCODE
};

// A piece of a record as a warning quotes it; a record's control bytes are shown escaped, since the
// warning goes to a terminal.
std::string quoted(std::string_view text) {
    // Appended rather than "'" + text: GCC 12 at -O3 warns falsely (-Wrestrict) on the insert at the front.
    std::string result = "'";
    result += shown_on_terminal(text);
    result += '\'';
    return result;
}

std::string plural(int count, const char* word) {
    return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

// The known opcode a mistyped one most likely meant; nothing when none is close.
std::optional<std::string_view> nearest_code(std::string_view code) {
    const std::string upper = upper_case_ascii(code);
    std::optional<std::string_view> best;
    int best_distance = 2; // at most one byte off, besides letter case
    for (std::string_view known : known_codes) {
        if (upper.size() != known.size()) continue;
        int distance = 0;
        for (std::size_t i = 0; i < known.size(); ++i) distance += upper[i] != known[i];
        if (distance < best_distance) {
            best_distance = distance;
            best = known;
        }
    }
    return best;
}

// Reads one record's operands in their strict form and reports the first place that departs from it.
class OperandCheck {
public:
    OperandCheck(std::string_view text, int line, std::vector<Finding>& findings)
        : text(text), line(line), findings(findings) {}

    // Checks the record; gives the record behind a one-line if's condition, when it has one.
    std::optional<std::string_view> check(Opcode opcode) {
        const OperandLayout layout = operand_layout(opcode);
        const std::string code(text.substr(0, 4));
        switch (layout.shape) {
        case OperandShape::none:
            if (!at_end())
                fault(code + " takes no operands, yet text follows it", "remove the text behind " + code);
            return std::nullopt;
        case OperandShape::label:
            if ((opcode == Opcode::R004 || opcode == Opcode::R005) && at_end())
                fault(code + " names no label", "write the label's name right behind " + code);
            return std::nullopt;
        case OperandShape::declarations:
            if (!name()) return std::nullopt;
            while (!at_end() && peek() == '[')
                if (!name()) return std::nullopt;
            break;
        case OperandShape::values:
            if (!values(code, layout.values, layout.values)) return std::nullopt;
            break;
        case OperandShape::output_then_values:
            if (!name() || !values(code, layout.values, layout.values + 1)) return std::nullopt;
            break;
        case OperandShape::join:
            if (!name() || !value()) return std::nullopt;
            while (!at_end() && (peek() == '[' || peek() == '\''))
                if (!value()) return std::nullopt;
            break;
        case OperandShape::arithmetic:
            if (!name() || !value()) return std::nullopt;
            while (!at_end()) {
                if (std::string_view("+-*/~^").find(peek()) == std::string_view::npos) {
                    fault(quoted(text.substr(position, 1)) + " is no arithmetic operator",
                          "use one of + - * / ~ ^ between values");
                    return std::nullopt;
                }
                ++position;
                if (!value()) return std::nullopt;
            }
            break;
        case OperandShape::condition:
            if (!condition()) return std::nullopt;
            break;
        case OperandShape::one_line_if:
            if (!condition()) return std::nullopt;
            return text.substr(position);
        }
        if (!at_end())
            fault("text after the last operand: " + quoted(text.substr(position)),
                  "remove it; a comment goes on a line of its own, starting with #");
        return std::nullopt;
    }

private:
    bool at_end() const { return position >= text.size(); }
    char peek() const { return text[position]; }

    void fault(std::string message, std::string hint) {
        findings.push_back({line, std::move(message), std::move(hint)});
    }

    // "[name]": an output reference or a declared name.
    bool name() {
        if (at_end() || peek() != '[') {
            fault("a variable name in brackets [..] is expected at " + where(),
                  "write the variable as [name]");
            return false;
        }
        return closed_by(']', "bracket", "close the variable's name with ]");
    }

    // One value: [name] or 'text', joined by "#".
    bool value() {
        for (bool joined = false;; joined = true) {
            if (at_end() || (peek() != '[' && peek() != '\'')) {
                fault("a value ([name] or 'text') is expected at " + where(),
                      joined ? "# joins values ('a'#[x]) and starts no comment: a comment is a line of "
                               "its own, starting with #"
                             : "write the value as [name] or 'text'");
                return false;
            }
            if (!closed_by(peek() == '[' ? ']' : '\'', peek() == '[' ? "bracket" : "quote",
                           peek() == '[' ? "close the variable's name with ]" : "close the text with '"))
                return false;
            if (at_end() || peek() != '#') return true;
            ++position;
        }
    }

    bool values(const std::string& code, int count, int operands) {
        for (int i = 0; i < count; ++i) {
            if (at_end()) {
                fault(code + " takes " + plural(operands, "operand") + ", the record has " +
                          plural(operands - count + i, "operand"),
                      "add the missing values; '' is an empty one");
                return false;
            }
            if (!value()) return false;
        }
        return true;
    }

    // Comparisons joined by | and &.
    bool condition() {
        for (;;) {
            if (!value()) return false;
            if (at_end() || std::string_view("=!<>").find(peek()) == std::string_view::npos) {
                fault("a comparison (= ! < >) is expected at " + where(), "compare two values, as [x]='1'");
                return false;
            }
            ++position;
            if (!value()) return false;
            if (at_end() || (peek() != '|' && peek() != '&')) return true;
            ++position;
        }
    }

    bool closed_by(char closing, const char* what, const char* hint) {
        std::size_t close = text.find(closing, position + 1);
        if (close == std::string_view::npos) {
            fault(std::string("unclosed ") + what + " at " + where(), hint);
            return false;
        }
        position = close + 1;
        return true;
    }

    std::string where() const {
        if (at_end()) return "the end of the record";
        return "byte " + std::to_string(position + 1) + " (" + quoted(text.substr(position, 12)) + ")";
    }

    std::string_view text;
    int line;
    std::vector<Finding>& findings;
    std::size_t position = 4;
};

bool holds_utf8_text(std::string_view text) {
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        auto lead = static_cast<unsigned char>(text[i]), next = static_cast<unsigned char>(text[i + 1]);
        if (lead >= 0xC2 && lead <= 0xF4 && (next & 0xC0) == 0x80) return true;
    }
    return false;
}

struct Block {
    int line;
    Opcode opener;
};

class ListingCheck {
public:
    std::vector<Finding> run(const std::vector<ListedRecord>& records) {
        for (const ListedRecord& record : records) {
            line = record.line;
            if (holds_utf8_text(record.text))
                fault("the record holds UTF-8 text, which a Windows runtime reads in its ANSI code page "
                      "(é shows as Ã©)",
                      "keep texts for Windows in ASCII, or save the listing in the ANSI code page");
            check_record(record.text);
        }
        for (const Block& block : open_blocks) {
            line = block.line;
            if (block.opener == Opcode::RRPT)
                fault("RRPT is never closed by an RUNT", "end the loop with RUNT and its condition");
            else
                fault("RXIF is never closed by an RXEI", "end the block with RXEI");
        }
        for (const auto& [label, jumps] : jumps)
            if (!labels.contains(label))
                for (const Jump& jump : jumps) {
                    line = jump.line;
                    fault("no record defines the label " + quoted(label) +
                              ": the script ends when it jumps there",
                          nearest_label(label, jump.code));
                }
        std::stable_sort(findings.begin(), findings.end(),
                         [](const Finding& a, const Finding& b) { return a.line < b.line; });
        return std::move(findings);
    }

private:
    void fault(std::string message, std::string hint) {
        findings.push_back({line, std::move(message), std::move(hint)});
    }

    void check_record(std::string_view text) {
        const Opcode opcode = opcode_of(text);
        if (opcode == Opcode::unknown) {
            unknown_opcode(text);
            return;
        }
        track(opcode, text);
        OperandCheck operands(text, line, findings);
        if (std::optional<std::string_view> rest = operands.check(opcode)) {
            if (rest->empty())
                fault("the one-line if has no record behind its condition",
                      "write the record to run behind it");
            else
                check_record(*rest);
        }
    }

    void unknown_opcode(std::string_view text) {
        const std::string code(text.substr(0, 4));
        const std::size_t first = text.find_first_not_of(" \t");
        if (first != 0 && first != std::string_view::npos && is_known_opcode(text.substr(first, 4)))
            fault("an indented record: the runtime reads " + quoted(code) +
                      " as its instruction and skips it",
                  "remove the blanks before " + std::string(text.substr(first, 4)));
        else if (std::optional<std::string_view> nearest = nearest_code(code))
            fault("unknown instruction " + quoted(code) + ": the runtime skips the record",
                  "did you mean " + std::string(*nearest) + "?" +
                      (is_known_opcode(upper_case_ascii(code)) ? " (instructions are upper case)" : ""));
        else
            fault("unknown instruction " + quoted(code) + ": the runtime skips the record",
                  "see the reference of instructions");
    }

    void track(Opcode opcode, std::string_view text) {
        switch (opcode) {
        case Opcode::RLBL: {
            auto [place, added] = labels.emplace(std::string(text.substr(4)), line);
            if (!added)
                fault("the label " + quoted(text.substr(4)) + " is defined again (first on line " +
                          std::to_string(place->second) + "); jumps reach only the first",
                      "rename one of them");
            break;
        }
        case Opcode::R004:
        case Opcode::R005:
            jumps[std::string(text.substr(4))].push_back({line, std::string(text.substr(0, 4))});
            break;
        case Opcode::RRPT:
        case Opcode::RXIF: open_blocks.push_back({line, opcode}); break;
        case Opcode::RUNT:
            close(Opcode::RRPT, "RUNT without an open RRPT", "start the loop with RRPT");
            break;
        case Opcode::RXEI:
            close(Opcode::RXIF, "RXEI without an open RXIF", "start the block with RXIF");
            break;
        case Opcode::RXEL:
        case Opcode::RXIE:
            if (std::none_of(open_blocks.begin(), open_blocks.end(),
                             [](const Block& block) { return block.opener == Opcode::RXIF; }))
                fault(std::string(text.substr(0, 4)) + " outside an RXIF block", "start the block with RXIF");
            break;
        default: break;
        }
    }

    void close(Opcode opener, const char* message, const char* hint) {
        auto open = std::find_if(open_blocks.rbegin(), open_blocks.rend(),
                                 [&](const Block& block) { return block.opener == opener; });
        if (open == open_blocks.rend()) {
            fault(message, hint);
            return;
        }
        open_blocks.erase(std::next(open).base());
    }

    // The defined label a jump to a missing one most likely meant: the one whose name, in lower case
    // and without blanks around it, is fewest bytes off (at most a third of the name, at least one).
    std::string nearest_label(const std::string& label, const std::string& jump_code) const {
        const std::string wanted = folded(label);
        const std::pair<const std::string, int>* nearest = nullptr;
        std::size_t nearest_distance = std::max<std::size_t>(1, wanted.size() / 3) + 1;
        for (const auto& entry : labels) {
            std::size_t distance = edit_distance(folded(entry.first), wanted);
            if (distance < nearest_distance) {
                nearest_distance = distance;
                nearest = &entry;
            }
        }
        if (nearest == nullptr) return "add a record RLBL" + label + " where the jump should go";
        const std::string& name = nearest->first;
        std::string hint =
            "did you mean the label " + quoted(name) + " on line " + std::to_string(nearest->second) + "?";
        if (starts_with_blank(name) && !starts_with_blank(label))
            return hint +
                   " Its name starts with a blank, which is part of it: remove the blank behind RLBL, "
                   "or name it in the jump too (" +
                   jump_code + name + ")";
        if (nearest_distance == 0) return hint + " (labels are compared byte for byte)";
        return hint;
    }

    static bool starts_with_blank(std::string_view name) {
        return !name.empty() && (name.front() == ' ' || name.front() == '\t');
    }

    // A label's name as mistyped ones are compared with it: lower case, without blanks around it.
    static std::string folded(std::string_view name) {
        const std::size_t first = name.find_first_not_of(" \t");
        if (first == std::string_view::npos) return {};
        std::string text(name.substr(first, name.find_last_not_of(" \t") - first + 1));
        std::transform(text.begin(), text.end(), text.begin(), lower_case_byte);
        return text;
    }

    int line = 0;
    std::vector<Finding> findings;
    std::map<std::string, int> labels;
    struct Jump {
        int line;
        std::string code;
    };
    std::map<std::string, std::vector<Jump>> jumps;
    std::vector<Block> open_blocks;
};

} // namespace

std::vector<Finding> check_records(const std::vector<ListedRecord>& records) {
    return ListingCheck().run(records);
}

} // namespace korvex::listing
