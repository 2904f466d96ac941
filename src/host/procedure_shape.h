#pragma once
// What a procedure's text tells beyond its block, read the same way by the
// in-memory host (for its procedure index) and by the engines (through the
// code host's lines):
//
// - a procedure declared in alternatives, one declaration per branch of an
//   #If (the 64-bit idiom: "#If Win64 Then" / declaration with LongPtr /
//   "#Else" / declaration with Long / "#End If" / body / End Function), is
//   one procedure whose declaration ends at the #End If that closes them;
// - a procedure written on one line with its body and closing statement
//   ("Function F(): F = 1: End Function") has no body to change;
// - the #If structure nests inside a procedure when no branch of it opens
//   or closes outside the procedure (alternative declarations count as the
//   procedure's own when their #If stands right above the first of them).
//   Code can only be put into a procedure whose structure nests.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::host {

enum class Directive { None, If, ElseIf, Else, EndIf, Other };

// The conditional-compilation directive a line begins with (leading blanks
// ignored): "#If", "#ElseIf", "#Else", "#End If"; Other for "#Const" and
// the like.
Directive ReadDirective(std::string_view line);

// The line's last statement (statements split at ":" outside string
// literals, a comment cut off) is an End Sub, End Function or End Property.
bool ClosesProcedureAtEnd(std::string_view line);

// The line is an End Sub, End Function or End Property (a line number may
// stand before it).
bool IsProcedureEnd(std::string_view line);

// The line declares a Sub, Function or Property, as the host reads its
// procedures.
bool DeclaresProcedure(std::string_view line);

// A blank or comment line (leading blanks ignored).
bool IsBlankOrComment(std::string_view line);

// Follows the #If directives below a procedure's first declaration, depth
// counted from the declaration, down to its closing line.
class ConditionalDeclaration {
  public:
    // A directive line below the first declaration. Returns true when it is
    // the #End If that closes the #If enclosing the first declaration.
    bool OnDirective(Directive directive, long line);
    // Another declaration of the same procedure met now is an alternative:
    // it stands in another branch of the #If that holds the first one.
    bool AcceptsAlternative() const { return depth_ == 0 && switched_ && closedAt_ == 0; }
    void OnAlternative() { alternatives_ = true; }

    // The #End If line that closed the #If enclosing the first declaration
    // (0 when none did).
    long ClosedAt() const { return closedAt_; }
    // At the closing line: whether the structure nests inside the
    // procedure. headAbove: the line right above the first declaration
    // (blank and comment lines passed over) is an #If.
    bool Nests(bool headAbove) const;

  private:
    int depth_ = 0;
    bool switched_ = false;  // an #Else or #ElseIf of the enclosing #If was met
    long closedAt_ = 0;
    bool outerBranch_ = false;  // a branch of an #If above it was switched or closed
    bool alternatives_ = false;
};

// Lines are counted from the first declaration (0) down.
struct ProcedureShape {
    long declarationEnd = 0;         // last line of the declaration (see above)
    long firstDeclarationEnd = 0;    // last line of the first declaration (continuations)
    std::vector<long> alternatives;  // first lines of the other declarations
    long closing = -1;               // the closing line; -1 when there is none
    bool oneLine = false;
    bool nests = true;
};

// Reads the procedure whose first declaration is lines[0], from lines that
// run at least down to its closing line. headAbove tells (asked only for a
// procedure with alternative declarations) whether the line right above the
// declaration, blank and comment lines passed over, is an #If.
ProcedureShape ReadProcedureShape(const std::vector<std::string_view>& lines,
                                  const std::function<bool()>& headAbove);

// Whether the line right above line `body` (1-based), blank and comment lines
// passed over, is an #If; line(n) gives the text of line n.
bool IfStandsAbove(const std::function<std::string(long)>& line, long body);

}  // namespace qv::host
