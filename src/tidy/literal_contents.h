#pragma once
// What the string literals of a block hold plays no part in its layout: a
// line keeps its quotes, in order, wherever tidy moves it, tabs inside a
// literal stay as they are, and whether a line opens or closes a level, is
// a comment or goes on is read with the literals' contents blanked. The
// handlers of a module's routines differ mostly in the routine's name,
// which stands in a literal ("modMain.Go"): with the literals emptied they
// are one block, laid out once, and each gets its own contents back.
//
// A literal is a pair of quotes on one line (lines end at CR LF): the first
// quote of the line opens one, the next closes it, the one after opens the
// next ("a""b" is two literals, "a" and "b", to this reading, as to tidy's).
// A quote that no other closes on its line opens no literal here: what
// follows it reaches the line's end, whose blanks tidy trims.

#include <string>
#include <string_view>
#include <vector>

namespace qv::tidy {

// The text with every closed literal emptied, into shape; the contents, in
// order, into contents (views of text).
void EmptyLiterals(std::string_view text, std::string& shape,
                   std::vector<std::string_view>& contents);

// The other way: each closed literal of shape that is empty, in order, gets
// the next of contents (shape must hold as many as there are contents).
std::string FillLiterals(std::string_view shape, const std::vector<std::string_view>& contents);
// The same appended to out, from contents[next] on; next moves past the
// contents used (for a block filled line by line).
void AppendFilled(std::string& out, std::string_view shape,
                  const std::vector<std::string_view>& contents, size_t& next);

}  // namespace qv::tidy
