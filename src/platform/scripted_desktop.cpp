// The scripted desktop: answers come in order from an answer file, and every operation is written as
// one line to a transcript, so a program runs unattended and its conversation can be checked. The
// other programs' windows that keystrokes can reach are those the answer file declares.
#include <algorithm>
#include <cstdio>
#include <deque>
#include <utility>

#include "base/ascii.hpp"
#include "base/escapes.hpp"
#include "base/numbers.hpp"
#include "platform/desktop.hpp"
#include "platform/os.hpp"

namespace korvex {
namespace {

struct Answer {
    std::string verb;
    std::string argument;     // escapes already resolved
    std::string raw_argument; // as written
    std::string line;         // the whole line, for messages
};

std::string quoted(std::string_view text) {
    return "\"" + escape_bytes(text) + "\"";
}

// A text written between double quotes in the answer file, without them.
std::string unquoted(const std::string& text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') return text.substr(1, text.size() - 2);
    return text;
}

// ---- The answer file -----------------------------------------------------------------------------

// The words an answer line starts with; a whole number alone is a button code.
constexpr std::string_view answer_words[] = {"ok",     "cancel", "close",   "abort",  "retry",
                                             "ignore", "yes",    "no",      "button", "text",
                                             "choose", "select", "virtual", "window"};

bool is_answer_word(std::string_view word) {
    if (!word.empty() && word.find_first_not_of("0123456789") == std::string_view::npos) return true;
    return std::find(std::begin(answer_words), std::end(answer_words), word) != std::end(answer_words);
}

// Why a line's first word is no answer: the word, the known one nearest to it, and, for a word that
// is no near miss of one, how a text to type is written.
std::string no_answer_word(const Answer& answer) {
    std::string_view nearest = answer_words[0];
    for (std::string_view word : answer_words)
        if (edit_distance(answer.verb, word) < edit_distance(answer.verb, nearest)) nearest = word;
    std::string text = "\"" + escape_bytes(answer.verb) + "\" is no answer word (the nearest is \"" +
                       std::string(nearest) + "\")";
    if (edit_distance(answer.verb, nearest) > 1)
        text += "; a text to type is written \"text " + escape_bytes(answer.line) + "\"";
    return text;
}

// An answer file read: its answers in order, the windows it declares, and the first line that is no
// answer (its number from 1 and why), if any.
struct AnswerFile {
    std::deque<Answer> answers;
    std::vector<std::string> window_titles;
    int fault_line = 0;
    std::string fault;
};

AnswerFile read_answer_file(std::string_view text) {
    AnswerFile file;
    // An editor that writes UTF-8 may put a byte-order mark in front of the first line.
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    int line_number = 0;
    for (std::size_t line_start = 0; line_start < text.size();) {
        ++line_number;
        std::size_t line_end = text.find('\n', line_start);
        if (line_end == std::string_view::npos) line_end = text.size();
        std::string line(text.substr(line_start, line_end - line_start));
        line_start = line_end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        std::size_t verb_end = line.find(' ', start);
        Answer answer;
        answer.line = line.substr(start);
        answer.verb =
            line.substr(start, verb_end == std::string::npos ? std::string::npos : verb_end - start);
        if (verb_end != std::string::npos) {
            answer.raw_argument = line.substr(verb_end + 1);
            answer.argument = unescape_bytes(answer.raw_argument).value_or(answer.raw_argument);
        }
        if (!is_answer_word(answer.verb) && file.fault_line == 0) {
            file.fault_line = line_number;
            file.fault = no_answer_word(answer);
        }
        if (answer.verb == "window")
            file.window_titles.push_back(unquoted(answer.argument));
        else
            file.answers.push_back(std::move(answer));
    }
    return file;
}
// ---- end of The answer file ------------------------------------------------------------------------

// What a dialog run gave, and why it was cancelled when the answer file did not fit the dialog.
struct DialogOutcome {
    std::optional<std::string> answer;
    std::string note;

    // The reason, when there is one, names the record that asked.
    std::string describe(const std::string& record) const {
        std::string text = answer ? quoted(*answer) : std::string("cancelled");
        return note.empty() ? text : text + " (" + note + ", " + record + ")";
    }
};

// The button set as a script names it; OTHER for a style number no name stands for.
std::string_view button_set_name(std::uint32_t style) {
    std::uint32_t buttons = style & message_box_style::button_mask;
    if (buttons < std::size(message_box_style::button_set_names))
        return message_box_style::button_set_names[buttons];
    return "OTHER";
}

// What closing a box without an answer gives, as the close button of that button set would.
int closing_code(std::uint32_t style) {
    switch (style & message_box_style::button_mask) {
    case message_box_style::ok: return button_code::ok;
    case message_box_style::yes_no: return button_code::no;
    case message_box_style::abort_retry_ignore: return button_code::abort;
    default: return button_code::cancel;
    }
}

// Whether a box of this style has a button of this code; any code fits a style of unknown buttons.
bool box_has_button(std::uint32_t style, int code) {
    std::vector<int> codes;
    switch (style & message_box_style::button_mask) {
    case message_box_style::ok: codes = {button_code::ok}; break;
    case message_box_style::ok_cancel: codes = {button_code::ok, button_code::cancel}; break;
    case message_box_style::abort_retry_ignore:
        codes = {button_code::abort, button_code::retry, button_code::ignore};
        break;
    case message_box_style::yes_no_cancel:
        codes = {button_code::yes, button_code::no, button_code::cancel};
        break;
    case message_box_style::yes_no: codes = {button_code::yes, button_code::no}; break;
    case message_box_style::retry_cancel: codes = {button_code::retry, button_code::cancel}; break;
    default: return true;
    }
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

int button_by_name(const std::string& name) {
    static const std::pair<const char*, int> names[] = {
        {"ok", button_code::ok},       {"cancel", button_code::cancel}, {"close", button_code::cancel},
        {"abort", button_code::abort}, {"retry", button_code::retry},   {"ignore", button_code::ignore},
        {"yes", button_code::yes},     {"no", button_code::no}};
    for (const auto& [text, code] : names)
        if (name == text) return code;
    return -1;
}

const char* button_name(DialogButton button) {
    switch (button) {
    case DialogButton::input_ok: return "input_ok";
    case DialogButton::input_cancel: return "input_cancel";
    case DialogButton::editor_ok: return "editor_ok";
    case DialogButton::editor_cancel: return "editor_cancel";
    case DialogButton::list_ok: return "list_ok";
    }
    return "?";
}

// ---- Choosers ----------------------------------------------------------------------------------------

// The paths of a "choose" answer: quoted texts with backslash escapes ("D:\\work" "one.txt"), or,
// unquoted, the whole argument as one path. Nothing when a quote is left open or an escape is malformed.
std::optional<std::vector<std::string>> chosen_paths(const Answer& answer) {
    std::string_view raw = answer.raw_argument;
    std::size_t first = raw.find_first_not_of(' ');
    if (first == std::string_view::npos || raw[first] != '"') {
        if (answer.argument.empty()) return std::nullopt;
        return std::vector<std::string>{answer.argument};
    }
    std::vector<std::string> paths;
    std::size_t at = first;
    while (at < raw.size()) {
        if (raw[at] == ' ') {
            ++at;
            continue;
        }
        if (raw[at] != '"') return std::nullopt;
        std::size_t end = at + 1;
        while (end < raw.size() && raw[end] != '"') end += raw[end] == '\\' ? 2 : 1;
        if (end >= raw.size()) return std::nullopt;
        std::optional<std::string> path = unescape_bytes(raw.substr(at + 1, end - at - 1));
        if (!path) return std::nullopt;
        paths.push_back(std::move(*path));
        at = end + 1;
    }
    return paths;
}

std::string filter_list(const std::vector<FileFilter>& filters) {
    std::string text;
    for (const FileFilter& filter : filters)
        text += (text.empty() ? "" : ",") + quoted(filter.description) + ":" + quoted(filter.pattern);
    return "[" + text + "]";
}

std::string describe_files(const std::optional<ChosenFiles>& files, const std::string& note) {
    std::string text = "cancelled";
    if (files && files->size() == 1) {
        text = quoted(files->front());
    } else if (files) {
        text.clear();
        for (const std::string& piece : *files) text += (text.empty() ? "" : ",") + quoted(piece);
        text = "[" + text + "]";
    }
    return note.empty() ? text : text + " (" + note + ")";
}

std::string describe_folder(const FolderChoice& choice, const std::string& note) {
    std::string text;
    switch (choice.outcome) {
    case FolderOutcome::chosen: text = quoted(choice.path); break;
    case FolderOutcome::cancelled: text = "cancelled"; break;
    case FolderOutcome::no_path: text = "no path (virtual folder)"; break;
    case FolderOutcome::failed: text = "failed"; break;
    }
    return note.empty() ? text : text + " (" + note + ")";
}
// ---- end of Choosers ----------------------------------------------------------------------------------

// Where the transcript lines go: a file or a string of the caller's.
class Transcript {
public:
    virtual ~Transcript() = default;
    virtual void write_line(std::string_view line) = 0;
    // Stores what was written; throws OutputLost when that fails.
    virtual void close() {}
};

// Appends to a file, each line stored before the next operation, so the transcript is whole even when
// the program is stopped from outside. A line that cannot be written, or a close that fails, throws
// OutputLost: the run must not go on without its record.
class FileTranscript final : public Transcript {
public:
    explicit FileTranscript(std::string path)
        : path(std::move(path)), file(std::fopen(this->path.c_str(), "ab")) {}
    bool is_open() const { return file != nullptr; }
    FileTranscript(const FileTranscript&) = delete;
    FileTranscript& operator=(const FileTranscript&) = delete;
    ~FileTranscript() override {
        if (file) std::fclose(file);
    }

    void write_line(std::string_view line) override {
        if (!file) return;
        bool written = std::fwrite(line.data(), 1, line.size(), file) == line.size() &&
                       std::fputc('\n', file) != EOF && std::fflush(file) == 0;
        if (!written) lost();
    }

    void close() override {
        if (!file) return;
        std::FILE* closing = std::exchange(file, nullptr);
        if (std::fclose(closing) != 0) lost();
    }

    // Why the transcript cannot be opened, as lost() tells why it cannot be written.
    std::string open_failure() const { return failure(platform::last_system_error()); }

private:
    std::string failure(const std::string& reason) const {
        return "cannot write the transcript " + path + ": " + reason;
    }

    [[noreturn]] void lost() {
        std::string reason = platform::last_system_error();
        if (file) std::fclose(std::exchange(file, nullptr));
        throw OutputLost{failure(reason)};
    }

    std::string path;
    std::FILE* file;
};

class StringTranscript final : public Transcript {
public:
    explicit StringTranscript(std::string* target) : target(target) {}
    void write_line(std::string_view line) override {
        target->append(line);
        target->push_back('\n');
    }

private:
    std::string* target;
};

// What a dialog that finds no answer left does: nothing more than its transcript line (a run in the
// caller's process, which reads the transcript), a note on standard error, or the run stops.
enum class MissingAnswer { unnoticed, told, stops };

class ScriptedDesktop final : public Desktop {
public:
    ScriptedDesktop(AnswerFile file, std::unique_ptr<Transcript> sink, MissingAnswer missing)
        : answers(std::move(file.answers)), window_titles(std::move(file.window_titles)),
          transcript(std::move(sink)), missing_answer(missing) {}

    // --- Keystrokes: windows by the titles declared ("window TITLE"), numbered from 1 in their order.
    ForeignWindow find_window(std::string_view title) override {
        for (std::size_t i = 0; i < window_titles.size(); ++i)
            if (window_titles[i] == title) return i + 1;
        write("keys window=" + quoted(title) + " -> no such window");
        return no_window;
    }

    void bring_to_front(ForeignWindow) override {}

    std::optional<LayoutKey> layout_key(unsigned char byte) override { return us_layout_key(byte); }

    // One line per instruction: "keys window="T" events=[shift+ A+ A- shift-]", + pressed, - released.
    void send_key_events(ForeignWindow window, std::span<const KeyEvent> events) override {
        std::string line = "keys window=" + quoted(window_titles.at(window - 1)) + " events=[";
        for (std::size_t i = 0; i < events.size(); ++i)
            line += (i > 0 ? " " : "") + key_name(events[i].code) +
                    (events[i].direction == KeyDirection::press ? "+" : "-");
        write(line + "]");
    }

    // --- Boxes, dialogs, captions and the clipboard.
    int message_box(std::string_view text, std::string_view title, std::uint32_t style) override {
        int code = closing_code(style);
        if (std::optional<Answer> answer = next_answer("the message box " + quoted(title))) {
            std::string name = answer->verb == "button" ? answer->argument : answer->verb;
            int by_name = button_by_name(name);
            code = name == "close" ? closing_code(style) : by_name >= 0 ? by_name : read_whole_number(name);
            if (!box_has_button(style, code))
                throw AnswerDoesNotFit{at_record() + ": the answer " + quoted(answer->line) +
                                       " names no button of the " + std::string(button_set_name(style)) +
                                       " box " + quoted(title)};
        }
        char style_text[16];
        std::snprintf(style_text, sizeof style_text, "0x%08X", style);
        write("message_box title=" + quoted(title) + " text=" + quoted(text) + " buttons=" +
              std::string(button_set_name(style)) + " style=" + style_text + " -> " + std::to_string(code));
        return code;
    }

    void set_button_caption(DialogButton button, std::string_view caption) override {
        write(std::string("caption ") + button_name(button) + " " + quoted(caption));
    }

    std::string clipboard_text() override { return clipboard; }

    void set_clipboard_text(std::string_view text) override {
        clipboard = text;
        write("clipboard " + quoted(text));
    }

    std::optional<std::string> run_input_dialog(std::string_view title, std::string_view prompt,
                                                std::string_view default_text) override {
        DialogOutcome result =
            text_answer("the input box " + quoted(title), default_text, EditorMode::editable);
        write("input_dialog title=" + quoted(title) + " prompt=" + quoted(prompt) +
              " default=" + quoted(default_text) + " -> " + result.describe(at_record()));
        return result.answer;
    }

    std::optional<std::string> run_editor_dialog(const EditorDialog& dialog) override {
        DialogOutcome result = text_answer("the editor " + quoted(dialog.title), dialog.content, dialog.mode);
        // The runtime drops every carriage return of the editor's answer; the line shows what it stores.
        DialogOutcome stored = result;
        if (stored.answer) std::erase(*stored.answer, '\r');
        write("editor_dialog title=" + quoted(dialog.title) +
              " mode=" + (dialog.mode == EditorMode::read_only ? "readonly" : "editable") +
              " size=" + std::to_string(dialog.width) + "x" + std::to_string(dialog.height) +
              " content=" + quoted(dialog.content) + " -> " + stored.describe(at_record()));
        return result.answer;
    }

    std::optional<std::string> run_list_dialog(const ListDialog& dialog) override {
        DialogOutcome result = list_answer("the list box " + quoted(dialog.title), dialog.items);
        std::string items;
        for (const std::string& item : dialog.items) items += (items.empty() ? "" : ",") + quoted(item);
        write("list_dialog title=" + quoted(dialog.title) + " size=" + std::to_string(dialog.width) + "x" +
              std::to_string(dialog.height) + " items=[" + items + "] -> " + result.describe(at_record()));
        return result.answer;
    }

    std::optional<ChosenFiles> run_file_chooser(const FileChooser& chooser) override {
        std::string note;
        std::optional<ChosenFiles> files =
            file_answer("the file chooser " + quoted(chooser.title), chooser, note);
        bool several = chooser.selection == FileSelection::multiple;
        write(std::string("file_chooser kind=") + (chooser.kind == FileChooserKind::save ? "save" : "open") +
              " title=" + quoted(chooser.title) + " filters=" + filter_list(chooser.filters) +
              " folder=" + quoted(chooser.folder) + " selection=" + (several ? "multiple" : "single") +
              " -> " + describe_files(files, note.empty() ? note : note + ", " + at_record()));
        return files;
    }

    FolderChoice run_folder_chooser(std::string_view title, std::string_view initial_folder) override {
        std::string note;
        FolderChoice choice = folder_answer("the folder chooser " + quoted(title), initial_folder, note);
        write("folder_chooser title=" + quoted(title) + " folder=" + quoted(initial_folder) + " -> " +
              describe_folder(choice, note.empty() ? note : note + ", " + at_record()));
        return choice;
    }

    void place_info_window(std::string_view text, int width, int height) override {
        write("info_window text=" + quoted(text) + " size=" + std::to_string(width) + "x" +
              std::to_string(height));
    }

    void set_info_window_visible(bool visible) override {
        write(std::string("info_window ") + (visible ? "shown" : "hidden"));
    }

private:
    void follow_record_counter(const std::int32_t* counter) override { record_counter = counter; }
    void finish_run() override {
        if (transcript) transcript->close();
    }
    std::vector<std::string> unused_answers() const override {
        std::vector<std::string> lines;
        for (const Answer& answer : answers) lines.push_back(answer.line);
        return lines;
    }

    // "record N" for the record being executed, as messages and cancel notes name it.
    std::string at_record() const {
        return record_counter ? "record " + std::to_string(*record_counter) : std::string("start-up");
    }

    // The next answer; nothing, told as the run asks, when none is left for the dialog named.
    std::optional<Answer> next_answer(const std::string& dialog) {
        if (answers.empty()) {
            std::string missing = at_record() + ": no answer left for " + dialog;
            if (missing_answer == MissingAnswer::stops) throw AnswerDoesNotFit{missing};
            if (missing_answer == MissingAnswer::told) {
                std::fprintf(stderr, "korvex: %s; it counts as closed\n", missing.c_str());
                std::fflush(stderr);
            }
            return std::nullopt;
        }
        Answer answer = std::move(answers.front());
        answers.pop_front();
        return answer;
    }

    // "text VALUE" types VALUE, "ok" accepts what the dialog shows, "cancel" cancels. A read-only editor
    // takes no typing: its text answer is OK with the content unchanged.
    DialogOutcome text_answer(const std::string& dialog, std::string_view shown, EditorMode mode) {
        std::optional<Answer> answer = next_answer(dialog);
        if (!answer) return {std::nullopt, "no answer left"};
        if (answer->verb == "text") {
            if (mode == EditorMode::read_only)
                return {std::string(shown), "read-only: the typed text is ignored"};
            return {answer->argument, ""};
        }
        if (answer->verb == "ok") return {std::string(shown), ""};
        return cancelled_by(*answer);
    }

    // "ok" takes the entry selected when the list opens (the first), "choose N" the N-th entry and
    // "select VALUE" the first entry with that text; an entry the list does not have cancels.
    DialogOutcome list_answer(const std::string& dialog, const std::vector<std::string>& items) {
        std::optional<Answer> answer = next_answer(dialog);
        if (!answer) return {std::nullopt, "no answer left"};
        if (answer->verb == "ok") {
            if (items.empty()) return {std::nullopt, "the list is empty"};
            return {items.front(), ""};
        }
        if (answer->verb == "choose") {
            int index = read_whole_number(answer->argument);
            if (index >= 1 && static_cast<std::size_t>(index) <= items.size()) return {items[index - 1], ""};
            throw AnswerDoesNotFit{at_record() + ": the answer " + quoted(answer->line) +
                                   " chooses past the end of a list of " + std::to_string(items.size()) +
                                   " entries"};
        }
        if (answer->verb == "select") {
            for (const std::string& item : items)
                if (item == answer->argument) return {item, ""};
            return {std::nullopt, "no entry " + quoted(answer->argument)};
        }
        return cancelled_by(*answer);
    }

    // "choose PATH" picks one file; "choose FOLDER NAME NAME..." several, where the chooser allows
    // more than one; "cancel" cancels.
    std::optional<ChosenFiles> file_answer(const std::string& dialog, const FileChooser& chooser,
                                           std::string& note) {
        std::optional<Answer> answer = next_answer(dialog);
        if (!answer) {
            note = "no answer left";
            return std::nullopt;
        }
        if (answer->verb != "choose") {
            note = cancelled_by(*answer).note;
            return std::nullopt;
        }
        std::optional<std::vector<std::string>> paths = chosen_paths(*answer);
        if (!paths || paths->empty()) {
            note = "no path in " + quoted(answer->raw_argument);
            return std::nullopt;
        }
        if (paths->size() > 1 && chooser.selection == FileSelection::single) {
            note = "several files for a single selection";
            return std::nullopt;
        }
        if (paths->size() == 2) {
            note = "several files are a folder and at least two names";
            return std::nullopt;
        }
        return paths;
    }

    // "choose PATH" picks a folder, "ok" the one selected when the chooser opens, "virtual" an item
    // without a file-system path; "cancel" cancels.
    FolderChoice folder_answer(const std::string& dialog, std::string_view initial_folder,
                               std::string& note) {
        std::optional<Answer> answer = next_answer(dialog);
        if (!answer) {
            note = "no answer left";
            return {FolderOutcome::cancelled, {}};
        }
        if (answer->verb == "virtual") return {FolderOutcome::no_path, {}};
        if (answer->verb == "ok") {
            if (initial_folder.empty()) {
                note = "no folder is selected";
                return {FolderOutcome::cancelled, {}};
            }
            return {FolderOutcome::chosen, std::string(initial_folder)};
        }
        if (answer->verb == "choose") {
            std::optional<std::vector<std::string>> paths = chosen_paths(*answer);
            if (paths && paths->size() == 1) return {FolderOutcome::chosen, paths->front()};
            note = "not one folder in " + quoted(answer->raw_argument);
            return {FolderOutcome::cancelled, {}};
        }
        note = cancelled_by(*answer).note;
        return {FolderOutcome::cancelled, {}};
    }

    static DialogOutcome cancelled_by(const Answer& answer) {
        if (answer.verb == "cancel" || answer.verb == "close") return {std::nullopt, ""};
        return {std::nullopt, "the answer " + quoted(answer.verb) + " does not fit"};
    }

    void write(const std::string& line) {
        if (transcript) transcript->write_line(line);
    }

    std::deque<Answer> answers;
    std::vector<std::string> window_titles;
    std::unique_ptr<Transcript> transcript;
    MissingAnswer missing_answer;
    std::string clipboard;
    const std::int32_t* record_counter = nullptr;
};

} // namespace

DesktopChoice make_scripted_desktop(const std::string& answer_file, const std::string& transcript_file,
                                    Strictness strictness) {
    // An unattended run without its answers or its record would pass for one that went as planned.
    std::optional<std::string> answers = platform::read_whole_file(answer_file);
    if (!answers) return {nullptr, "cannot read the answer file \"" + answer_file + "\""};
    AnswerFile file = read_answer_file(*answers);
    // Every answer behind a line that is no answer would go to the wrong dialog.
    if (file.fault_line != 0)
        return {nullptr, answer_file + ":" + std::to_string(file.fault_line) + ": " + file.fault,
                exit_status::answer_misfit};
    auto transcript = std::make_unique<FileTranscript>(transcript_file);
    if (!transcript->is_open()) return {nullptr, transcript->open_failure()};
    MissingAnswer missing = strictness == Strictness::stop ? MissingAnswer::stops : MissingAnswer::told;
    return {std::make_unique<ScriptedDesktop>(std::move(file), std::move(transcript), missing), {}};
}

std::unique_ptr<Desktop> make_scripted_desktop_from_text(std::string answers, std::string* transcript) {
    std::unique_ptr<Transcript> sink;
    if (transcript) sink = std::make_unique<StringTranscript>(transcript);
    return std::make_unique<ScriptedDesktop>(read_answer_file(answers), std::move(sink),
                                             MissingAnswer::unnoticed);
}

} // namespace korvex
