#pragma once
// What 'qvaddin add --routine' would write for one routine, worked out
// without changing anything: the insertion the add command would make at
// the routine's declaration is planned, and its lines are spliced into the
// routine's bytes where a save would write them. Where that cannot be told
// for sure, the add command runs as it would from the command line, the
// lines it changed are rendered as a save would write them, and the module
// is put back exactly as it was. Check offers the difference as the
// routine's fix.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "app/cli/project_target.h"
#include "errorhandling/insertion.h"
#include "settings/settings_record.h"

namespace qv::cli {

// Lines put in before the line at of a change's before (0-based), as the
// file writes them (each with its break).
struct InsertedLines {
    long at = 0;
    std::string text;
    // text is ASCII already escaped as a JSON string holds it (without its
    // quotes): a fix's text made by its pieces, escaped once.
    bool json = false;
};

// Some lines of a module file now and after the change: before starts at
// the file's line firstLine and runs over whole lines (to the file's end
// when it ends there).
struct FileChange {
    std::string before;         // "" when insertions say what the change is
    std::string after;          // "" when insertions say what it is
    text::CodePage codePage{};  // the file's, which both are written in
    long firstLine = 1;
    // When not empty: the change puts these lines in (in order, at rising
    // places) and nothing else, and the fix is these runs; else it is the
    // runs a line diff of before and after finds.
    std::vector<InsertedLines> insertions;
};

struct AddFix {
    std::optional<FileChange> change;  // none when the add command refuses or changes nothing
    std::string failure;               // an error that stopped the add command ("" when none)
};

// The lines of a change's before (0-based) that start at the places its
// blocks go in, when the caller knows them already (-1: counted).
struct PlaceLines {
    long top = -1;
    long exit = -1;
};

// The runs of lines put in where topLines go in above the line that starts
// at byte topAt of before, and exitLines above the one at exitAt (topAt <=
// exitAt, each line followed by ending): the blocks where the add command
// puts them, one run when they go in at one place. Where a block could as
// well stand a line up or down (a blank line next to a blank one), it is
// still given where the command puts it. None when a place is not where a
// line starts, or a first blank line put in with a LF alone would follow a
// lone CR (the two would read as one break).
std::optional<std::vector<InsertedLines>> InsertedRuns(std::string_view before, size_t topAt,
                                                       const std::vector<std::string>& topLines,
                                                       size_t exitAt,
                                                       const std::vector<std::string>& exitLines,
                                                       std::string_view ending,
                                                       PlaceLines places = {});

// A block's lines as a fix puts them in, each followed by the file's
// ending, as a JSON string holds that text (ASCII, without its quotes), and
// what InsertedRuns asks of the lines.
struct EscapedBlock {
    std::string json;
    bool empty = true;        // no lines
    bool firstEmpty = false;  // the first line is empty
};

// Lines with emptied literals, filled as tidy::AppendFilled fills them (the
// k-th empty pair of quotes of the lines takes the k-th contents), each
// followed by an ending, as a JSON string holds that text (without its
// quotes): the lines are escaped once, in the pieces between the places
// where contents go, and each filling escapes only its contents.
class EscapedFill {
  public:
    // None when a line is not ASCII (its escape could then depend on the
    // bytes around it).
    static std::optional<EscapedFill> Of(const std::vector<std::string>& lines,
                                         std::string_view ending);
    // contents: ASCII.
    void AppendTo(std::string& out, const std::vector<std::string>& contents) const;

  private:
    std::vector<std::string> pieces_;  // one more than the places
};

// InsertedRuns of blocks given so: the same runs, their texts escaped
// (json set).
std::optional<std::vector<InsertedLines>> EscapedRuns(std::string_view before, size_t topAt,
                                                      const EscapedBlock& top, size_t exitAt,
                                                      const EscapedBlock& exit,
                                                      std::string_view ending,
                                                      PlaceLines places = {});

// The fixes of routine after routine of one module. A change that stays
// within its routine costs that routine (its lines rendered, and nothing
// put back unless the command had to run), so that a module's fixes cost in
// proportion to the module and not to its square; a file that does not
// render as it was read (stray attribute lines), or a change beyond the
// routine, takes the whole file.
class ModuleFixes {
  public:
    ModuleFixes(LoadedTarget& target, host::memory::MemoryComponent& component,
                const settings::SettingsRecord& settings);
    ~ModuleFixes();
    ModuleFixes(const ModuleFixes&) = delete;
    ModuleFixes& operator=(const ModuleFixes&) = delete;

    // copy: which copy of a routine defined more than once (the command
    // runs at that copy's declaration).
    // judged: what check knows of the routine already.
    AddFix Fix(const std::string& routine, int kind, long copy = 0,
               const errorhandling::JudgedRoutine* judged = nullptr);

    // The file's line (1-based) of a line of the module, read from where
    // its text stands in the file's bytes; 0 when that cannot be told so.
    long FileLineOf(long codeLine) const;

  private:
    struct Lines;
    // A routine's lines (first .. first + count - 1, comments above it
    // included) and their bytes in the file, which start at from.
    struct Region {
        long first = 0;
        long count = 0;
        size_t from = 0;
        std::string_view before;
    };
    // span: where the routine's block lies, when that is known (its start
    // and last line, as the host gives them).
    std::optional<Region> RegionOf(const std::string& routine, int kind, long copy,
                                   const analysis::RoutineSpan* span = nullptr);
    bool RendersAsRead(const host::memory::MemoryCodeModule& code, long first, long last,
                       size_t to) const;
    std::optional<FileChange> RunAdd(const std::string& routine, int kind, long copy);
    // The change worked out from the lines the add command would insert with
    // the cursor on the line, without running it: the routine's bytes with
    // the new lines spliced in where the module would render them. None when
    // that cannot be told for sure (the add command then runs and is undone).
    std::optional<std::optional<FileChange>> Planned(
        const std::string& routine, int kind, long copy, long cursor, const Region& region,
        const errorhandling::JudgedRoutine* judged = nullptr);

    // The lines the module stores for a block put in below a line that does
    // not continue, as ReceivedLines gives them: each line tidied as the
    // host tidies a line it is given (with the module's tab width), a line
    // after one that continues as a continuation. The handlers of a module's
    // routines are much alike: a block whose lines break at CR LF and hold
    // no tab after a quote is received with its string literals emptied
    // (the host's tidy of such a line does not depend on what they hold)
    // once, and each gets its own contents back; any other, line by line,
    // each line tidied once.
    class ReceivedBlocks {
      public:
        // The block as a CR LF followed by the lines of block (breakFirst),
        // or those lines followed by a CR LF. slot: 0 or 1, the block given
        // back is kept until the next in the same slot.
        const std::vector<std::string>& Of(const host::memory::MemoryCodeModule& code,
                                           const errorhandling::ShapedBlock& block,
                                           bool breakFirst, int slot);

        // What Of gives, escaped, into out: made from the escaped pieces
        // of the block's shape and its contents, when its lines are
        // received by their shape and the block is ASCII; false (out
        // unusable) otherwise.
        bool Escaped(const host::memory::MemoryCodeModule& code,
                     const errorhandling::ShapedBlock& block, bool breakFirst,
                     std::string_view ending, EscapedBlock& out);

      private:
        // The block's lines received one by one, into out.
        void Receive(const host::memory::MemoryCodeModule& code, std::string_view text,
                     std::vector<std::string>& out);

        static constexpr size_t kKept = 4096;
        static constexpr size_t kKeptBlocks = 256;
        std::vector<std::string> block_[2];
        std::optional<errorhandling::ShapedBlock> given_[2];  // what each block was received from
        bool whole_[2] = {};  // each block is whole (received from given_)
        struct Shape;
        const Shape* shapeOf_[2] = {};  // the kept shape of given_, when known
        // Looked up by a view of the line, without a copy of it.
        struct Hash : std::hash<std::string_view> {
            using is_transparent = void;
        };
        std::unordered_map<std::string, std::string, Hash, std::equal_to<>> lines_[2];  // [continuation]
        // By the block with its literals emptied: whether its literals are
        // set apart and, when they are, its lines received.
        struct Shape {
            bool setApart = false;
            std::vector<std::string> lines;
            // The lines, each followed by the ending, escaped as in a JSON
            // string and cut where each emptied literal's contents go (one
            // more piece than literals); empty until asked for, or when a
            // line is not ASCII.
            std::string escapedEnding;
            bool escapedRead = false;
            std::optional<EscapedFill> escaped;
        };
        // The Shape of shape_, received when first met.
        Shape& KeptShape(const host::memory::MemoryCodeModule& code);
        // The shape received from breakFirst and given.shape, looked up.
        Shape& ShapeOf(const host::memory::MemoryCodeModule& code,
                             const errorhandling::ShapedBlock& given, bool breakFirst);
        // The last shape looked up for each slot, by the text it came from.
        std::string lastShape_[2];
        bool lastBreakFirst_[2] = {};
        Shape* lastShapeOf_[2] = {};
        std::unordered_map<std::string, Shape> blocks_;
        std::string shape_;
        std::vector<std::string_view> contents_;
    };

    LoadedTarget& target_;
    host::memory::MemoryComponent& component_;
    const settings::SettingsRecord& settings_;
    const host::files::ModuleFile* file_;
    std::unique_ptr<Lines> lines_;  // null when routines cannot be rendered alone
    std::optional<bool> readOnly_;  // asked once: the add command refuses every routine then
    bool picksThisModule_ = false;  // the module's names select it
    // Every line of the module is the file's text where it lies, each
    // followed by its own break, and no member holds hidden attribute
    // lines: every routine renders as read (until the add command runs).
    bool linesAsRead_ = false;
    long headerLines_ = 0;  // the file's lines above the module's first, then
    // The blocks laid out and received on this thread so far, kept from
    // module to module (a project's handlers are much alike): how a block is
    // laid out depends on the settings' select and comment alone, how the
    // host receives it on the tab width alone.
    struct Planning;
    Planning& KeptPlanning(int tabWidth) const;
};

}  // namespace qv::cli
