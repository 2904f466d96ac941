#include "tidy/line_text.h"

namespace qv::tidy {

std::string TabsToSpaces(std::string_view line) {
    std::string out(line);
    bool inString = false;
    for (char& c : out) {
        if (c == '"') inString = !inString;
        else if (c == '\t' && !inString) c = ' ';
    }
    return out;
}

}  // namespace qv::tidy
