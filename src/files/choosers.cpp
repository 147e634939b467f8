// File and folder choosers: the open-file and save-file choosers (R022, R023) and the folder chooser
// (R037). The desktop shows them; this file turns the operands into what it shows and its answer into
// the output variable and variable 0.
#include <algorithm>

#include "base/ascii.hpp"
#include "core/operands.hpp"
#include "core/results.hpp"
#include "core/runtime.hpp"
#include "core/variables.hpp"
#include "decoder/opcodes.hpp"
#include "decoder/script_index.hpp"
#include "files/choosers.hpp"
#include "files/files.hpp"
#include "platform/os.hpp"

namespace korvex {
namespace {

// The pieces of a confirmed choice joined by "|": a single path stays as it is, several files read
// "folder|one|two".
std::string joined(const ChosenFiles& pieces) {
    std::string text;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) text += '|';
        text += pieces[i];
    }
    return text;
}

} // namespace

std::vector<FileFilter> filter_pairs(std::string_view text) {
    text = text_before_zero(text);
    std::vector<FileFilter> pairs;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t description_end = std::min(text.find('|', start), text.size());
        if (description_end == start) break; // an empty description ends the list
        FileFilter pair{std::string(text.substr(start, description_end - start)), {}};
        std::size_t end = description_end;
        if (description_end < text.size()) {
            std::size_t pattern_start = description_end + 1;
            end = std::min(text.find('|', pattern_start), text.size());
            pair.pattern = text.substr(pattern_start, end - pattern_start);
        }
        if (end > longest_filter) break;
        pairs.push_back(std::move(pair));
        start = end + 1;
    }
    return pairs;
}

// R022, R023: open-file and save-file choosers. Variable 15 (open) or 16 (save) switches on multiple
// selection with any text but "-1", read afresh every time.
Step handle_file_chooser(Runtime& runtime) {
    VariableSlot output = read_output_variable(runtime);
    bool save = runtime.operands.record->opcode == Opcode::R023;
    FileChooser chooser;
    chooser.kind = save ? FileChooserKind::save : FileChooserKind::open;
    chooser.title = read_value(runtime);
    chooser.filters = filter_pairs(read_value(runtime));
    chooser.folder = platform::current_directory();
    bool multiple = get_variable(runtime, save ? SystemVariable::save_several_files
                                               : SystemVariable::open_several_files) != "-1";
    chooser.selection = multiple ? FileSelection::multiple : FileSelection::single;
    std::optional<ChosenFiles> chosen = runtime.desktop.run_file_chooser(chooser);
    report_result(runtime, chosen.has_value());
    set_variable(runtime, output, chosen ? joined(*chosen) : std::string());
    return Step::next;
}

// R037: folder chooser. Cancelling is no failure here: it gives the empty path and "0". An item
// without a file-system path, or a chooser that could not be shown, gives the empty path and "-1".
Step handle_folder_chooser(Runtime& runtime) {
    VariableSlot output = read_output_variable(runtime);
    std::string title = read_value(runtime);
    std::string initial_folder = read_value(runtime);
    FolderChoice choice = runtime.desktop.run_folder_chooser(title, initial_folder);
    bool chosen = choice.outcome == FolderOutcome::chosen;
    set_variable(runtime, output, chosen ? std::move(choice.path) : std::string());
    report_result(runtime, chosen || choice.outcome == FolderOutcome::cancelled);
    return Step::next;
}

} // namespace korvex
