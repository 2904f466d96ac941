#pragma once
// Where the procedures of a module stand, as the IDE counts them. A
// procedure's block starts on the line after the previous procedure's closing
// line (or after the declarations section) and ends at its own End line; the
// last block also takes the lines after it. The declarations section ends at
// its last line that is neither blank nor a comment.
//
// A procedure declared in alternatives under #If (one declaration per
// branch) is one procedure from its first declaration to its closing line;
// its declaration ends at the #End If that closes the alternatives. A
// procedure written on one line with its closing statement is closed there.
//
// Edits update the index by re-reading only the lines around them: from the
// closing line of the last procedure wholly above the edit down to the first
// unchanged procedure below it. The procedures below an edit move by the
// number of lines inserted or deleted; that move is kept pending from the
// place of the last edit on and applied as later edits or reads pass by, so
// a run that edits routine after routine costs time in proportion to the
// module and not to its square. Lines put into a procedure's body that
// neither declare nor close one, nor are directives (a handler's lines, a
// routine's lines numbered or tidied in place of its old ones), are not
// read again with the procedure around them: the procedures only move.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/memory/line_store.h"
#include "host/procedure_shape.h"

namespace qv::host::memory {

struct ProcInfo {
    std::string name;
    int kind = 0;
    int scope = 2;
    bool isProperty = false;
    long body = 0;      // declaration line (the first one of alternatives)
    long declEnd = 0;   // last line of the declaration (continuations; the #End If
                        // that closes alternative declarations)
    long end = 0;       // closing line; for an unclosed procedure its last line
    bool closed = false;
    std::vector<long> alternatives;  // the lines of its other declarations
};

class ProcedureIndex {
public:
    void Rebuild(const LineStore& lines);
    // Takes the procedures of an index rebuilt elsewhere over the same lines
    // (a module read on another thread), as if rebuilt here.
    void Adopt(ProcedureIndex&& built);
    // Call after the store has changed.
    void OnInserted(const LineStore& lines, long line, long count);
    void OnDeleted(const LineStore& lines, long line, long count);
    // oldCount lines from line on were replaced by newCount others.
    void OnReplaced(const LineStore& lines, long line, long oldCount, long newCount);

    long DeclarationLines() const { return declarationLines_; }
    // Every procedure, in order (applies the pending move to all of them).
    const std::vector<ProcInfo>& Procs() const;
    size_t Count() const { return procs_.size(); }
    // One procedure, its lines current.
    const ProcInfo& At(size_t index) const;
    // Lines of one procedure, without applying the pending move.
    long Body(size_t index) const { return procs_[index].body + Pending(index); }
    long DeclEnd(size_t index) const { return procs_[index].declEnd + Pending(index); }
    long End(size_t index) const { return procs_[index].end + Pending(index); }

    // Index into Procs() of (name, kind), case ignored; -1 when absent. A
    // procedure defined in full more than once has copies: copy 0 is its
    // first definition, 1 the second, ...
    long Find(std::string_view name, int kind, long copy = 0) const;
    // How many definitions (name, kind) has; 0 when none.
    long Copies(std::string_view name, int kind) const;
    // Which copy of its name and kind the procedure at the index is.
    long CopyOf(size_t index) const;
    // Index of the first procedure of the name (case ignored, of any kind);
    // -1 when none has it.
    long FirstNamed(std::string_view name) const;
    // For each procedure, whether it is the first of its name (case
    // ignored, of any kind) in the module's order.
    std::vector<bool> FirstOfEachName() const;
    // Index of the procedure whose block holds the line; -1 when none does.
    long ProcOfLine(long line, long totalLines) const;

    long StartLine(size_t index) const;
    long CountLines(size_t index, long totalLines) const;

    // Bumped by every change of the index.
    unsigned long Version() const { return version_; }
    // Bumped when a procedure comes or goes, or changes its name, kind or
    // scope; not when procedures only move.
    unsigned long NamesVersion() const { return namesVersion_; }

private:
    struct ScanState {
        bool beforeFirstProc = true;
        bool previousContinued = false;
        bool inDeclarationHeader = false;
        bool inFirstDeclaration = false;  // the open procedure's first declaration
        long lastDeclarationCode = 0;
        long open = -1;  // index in the output of the procedure still open
        ConditionalDeclaration conditional;  // the #If structure below it
    };

    // Reads lines from..N, appending procedures to out, until it reaches the
    // declaration line of an old procedure (procs_[oldFrom, oldCount)) beyond
    // syncAfter; returns that procedure's index (oldCount when it ran to the
    // end).
    size_t Scan(const LineStore& lines, long from, ScanState& state, std::vector<ProcInfo>& out,
                long syncAfter, size_t oldFrom, size_t oldCount);
    void Reindex(const LineStore& lines, long damageStart, long damageEnd);
    // Whether count lines put in at line (already in the store) leave every
    // procedure as it was, only moved: they stand below the first
    // declaration and below a line that does not continue, and Scan would
    // pass over every statement they hold.
    bool PassedOver(const LineStore& lines, long line, long count) const;
    // A statement (its blank-stripped text, not empty) Scan passes over
    // below the first declaration.
    static bool PassedOverStatement(std::string_view t);
    // Whether newCount lines put in at line in place of oldCount others
    // (the store holds the new ones, the index the old places) leave every
    // procedure as it was, only moved: the old lines lay in the body of one
    // procedure and the new ones are passed over.
    bool ReplacedInBody(const LineStore& lines, long line, long oldCount, long newCount) const;
    // The places of the procedures moved for an edit, without reading the lines.
    void MoveForInserted(long line, long count);
    void MoveForDeleted(long line, long count);
    // A line of the open procedure's declaration has ended its statement.
    static void EndOfDeclaration(std::string_view line, long i, ScanState& state,
                                 std::vector<ProcInfo>& out);
    void InvalidateNames() const;

    long Pending(size_t index) const { return index >= shiftFrom_ ? shiftBy_ : 0; }
    // Makes procs_[0, index) hold their current lines and leaves the pending
    // move on procs_[index, end).
    void MoveShift(size_t index) const;
    // The first procedure whose line of that kind (Body, End) is at or
    // below line; Count() when none is.
    size_t FirstReaching(long line, long (ProcedureIndex::*lineOf)(size_t) const) const;

    // procs_[shiftFrom_, end) are shiftBy_ lines above where they stand.
    mutable std::vector<ProcInfo> procs_;
    mutable size_t shiftFrom_ = 0;
    mutable long shiftBy_ = 0;
    unsigned long namesVersion_ = 0;
    long declarationLines_ = 0;
    unsigned long version_ = 0;
    void IndexNames() const;

    // The procedures' indices ordered by name (case ignored) and kind, the
    // copies of a name and kind together in the module's order: four bytes
    // a procedure, looked up without a key built per lookup.
    mutable std::vector<std::uint32_t> byName_;
    mutable bool byNameValid_ = false;
    // The last name looked up and its part of byName_: a routine's lines,
    // body and end are asked for one after another by the same name, and a
    // byte-for-byte equal name skips the search. Valid while byName_ is.
    mutable std::string lastName_;
    mutable int lastKind_ = 0;
    mutable std::pair<size_t, size_t> lastRange_;
    mutable bool lastValid_ = false;
    // The part of byName_ that holds (name, kind).
    std::pair<size_t, size_t> NameRange(std::string_view name, int kind) const;
};

}  // namespace qv::host::memory
