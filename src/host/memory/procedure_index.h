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
// unchanged procedure below it.

#include <string>
#include <string_view>
#include <unordered_map>
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
    // Call after the store has changed.
    void OnInserted(const LineStore& lines, long line, long count);
    void OnDeleted(const LineStore& lines, long line, long count);

    long DeclarationLines() const { return declarationLines_; }
    const std::vector<ProcInfo>& Procs() const { return procs_; }

    // Index into Procs() of (name, kind), case ignored; -1 when absent.
    long Find(std::string_view name, int kind) const;
    // Index of the procedure whose block holds the line; -1 when none does.
    long ProcOfLine(long line, long totalLines) const;

    long StartLine(size_t index) const;
    long CountLines(size_t index, long totalLines) const;

    // Bumped by every change of the index.
    unsigned long Version() const { return version_; }

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
    // declaration line of an old procedure beyond syncAfter; returns that
    // procedure's index in old (old.size() when it ran to the end).
    size_t Scan(const LineStore& lines, long from, ScanState& state, std::vector<ProcInfo>& out,
              long syncAfter, const std::vector<ProcInfo>& old, size_t oldFrom);
    void Reindex(const LineStore& lines, long damageStart, long damageEnd);
    // A line of the open procedure's declaration has ended its statement.
    static void EndOfDeclaration(std::string_view line, long i, ScanState& state,
                                 std::vector<ProcInfo>& out);
    void InvalidateNames() const;

    std::vector<ProcInfo> procs_;
    long declarationLines_ = 0;
    unsigned long version_ = 0;
    mutable std::unordered_map<std::string, long> byName_;
    mutable bool byNameValid_ = false;
};

}  // namespace qv::host::memory
