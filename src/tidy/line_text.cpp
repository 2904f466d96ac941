#include "tidy/line_text.h"

namespace qv::tidy {

std::string TabsToSpaces(std::string_view line) {
    // Room for what a tidied line gets added (a blank, a few tabs of
    // indent), so that it is not copied again as it grows (a short line
    // stays within the string itself).
    std::string out;
    if (line.size() > 8) out.reserve(line.size() + 16);
    out.assign(line);
    bool inString = false;
    for (char& c : out) {
        if (c == '"') inString = !inString;
        else if (c == '\t' && !inString) c = ' ';
    }
    return out;
}

}  // namespace qv::tidy
