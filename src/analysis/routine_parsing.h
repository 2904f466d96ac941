#pragma once
// The small questions every engine asks about a routine, answered from the
// text of its code module through the code host: which routines a module
// holds, where a routine's declaration, comment block and closing line are,
// its body without comments, its type and parameter names, the accessor a
// line belongs to, and a few facts about the component that holds it.
// Nothing is cached between calls.

#include <string>
#include <string_view>
#include <vector>

#include "host/code_host.h"

namespace qv::analysis {

inline constexpr std::string_view kDeclarationsName = "(Declarations)";

struct RoutineEntry {
    std::string name;
    int kind = 0;
    // Which definition of the name and kind: a routine defined in full more
    // than once (a copy in each branch of an #If) has one entry per copy,
    // the first with copy 0. Work on a copy other than the first goes on
    // under a RoutineCopyScope.
    long copy = 0;
    bool operator==(const RoutineEntry&) const = default;
};
// Element 0 is always { "(Declarations)", 0 }.
using RoutineList = std::vector<RoutineEntry>;

// Makes the module's lookups by the routine's name answer for the entry's
// copy while it lives (see host::CodeModule::ChooseProcCopy).
class RoutineCopyScope {
  public:
    RoutineCopyScope(host::CodeModule& module, const RoutineEntry& routine)
        : scope_(module, routine.name, routine.copy) {}

  private:
    host::ProcCopyScope scope_;
};

// Lines of one routine, 1-based.
struct RoutineSpan {
    long firstLine = 0;             // after the declaration and its comment block
    long lastLine = 0;              // the closing line
    long afterDeclarationLine = 0;  // after the declaration and its continuations
    long startLine = 0;             // the host's start line (comments above included)
    long blockEnd = 0;              // the block's last line (for the module's last
                                    // routine, the lines after its closing line too)
};

// A comment line: trimmed, it begins with "'" or "Rem " (case-sensitive).
inline bool IsCommentLine(std::string_view trimmed) {
    return trimmed.starts_with('\'') || trimmed.starts_with("Rem ");
}
// A closing line as FirstAndLast finds it: trimmed of blanks, in lower
// case, it begins with "end ".
bool IsClosingLine(std::string_view line);

// Each copy of a routine defined in full more than once gets an entry, the
// copies after the first right after the first's entries.
void GetRoutineNames(host::VBE& vbe, std::string_view projectName,
                     std::string_view componentName, RoutineList& names, bool showProgress);
// The same list of one module, without progress reports: it touches nothing
// but the module, so that the lists of different modules can be read side by
// side.
RoutineList ReadRoutineNames(host::CodeModule& module);
bool HasProcKind(host::Member& member, int kind);
// The member's own spelling of a routine's name (module.Members().Item(name)
// .Name()); the in-memory host reads it from its procedure index, without
// making a member handle.
std::string MemberName(host::CodeModule& module, std::string_view name);
int KindAtLine(host::CodeModule& module, std::string_view name, long line);
std::string GetRoutineType(host::CodeModule& module, std::string_view name, int kind);
// The same for the routine whose declaration is at line body and whose
// block ends before line end, when the caller knows both.
std::string RoutineTypeAt(host::CodeModule& module, long body, long end);
RoutineSpan FirstAndLast(host::CodeModule& module, std::string_view name, int kind);
// The same read at a known place, with no lookup by name: the routine's
// block from startLine to blockEnd, its declaration ending on the line above
// afterDeclarationLine (not a routine written on one line). A command that
// changed lines below a routine's declaration finds the routine again so.
RoutineSpan SpanAt(host::CodeModule& module, long startLine, long afterDeclarationLine,
                   long blockEnd);
// The routine's code without comment and blank lines; fullText receives the
// lines from the first line to the one before the closing line.
std::string RemoveComments(host::CodeModule& module, std::string_view name, int kind,
                           std::string& fullText);
// The same for the routine at a place already found.
std::string RemoveComments(host::CodeModule& module, const RoutineSpan& span,
                           std::string& fullText);
// Its two halves, for a caller that needs the full text only now and then:
// the code without comment and blank lines, and the full text (both empty
// for a routine without a line between its first and closing lines).
std::string CodeWithoutComments(host::CodeModule& module, const RoutineSpan& span);
std::string BodyText(host::CodeModule& module, const RoutineSpan& span);
std::string ParameterList(host::Member& member, int kind, bool leadingComma);
int ProcKind(std::string_view typeColumnText);
// The other way: "Get", "Let", "Set", or "" for a routine that is not a
// property accessor.
std::string KindWord(int kind);
// How a routine is named to the user: "Name", or "Name (Get)" for a
// property accessor; a copy after the first as "Name (copy 2)" or
// "Name (Get, copy 2)".
std::string RoutineLabel(std::string_view name, int kind, long copy = 0);
// What follows the name of a copy after the first, where the kind is shown
// apart: " (copy 2)"; "" for the first.
std::string CopySuffix(long copy);
bool IsReadOnly(host::VBComponent& component);
int GetInstancing(host::CodeModule& module);
int GetMTSTransactionMode(host::CodeModule& module);
// controls may be nullptr (a component without a designer).
bool HasControl(host::VBControls* controls, std::string_view name);
bool IsWithEventsHandler(host::Member& member);

// The member's code module (member → members → code module).
host::CodeModule& ModuleOf(host::Member& member);

}  // namespace qv::analysis
