// Build tool: turns the company defaults (company_defaults.txt) into the
// source of the compiled-in string table. Stops the build with
// "file:line: message" when the file is malformed or lacks an entry that the
// add-in reads.
//
//     qv_string_table_gen <company_defaults.txt> <output.cpp>

#include <charconv>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <tuple>

namespace {

struct Failure {
    int line;
    std::string message;
};

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

// One line "<number> "<text>"": the text runs from the first to the last quote.
std::pair<int, std::string> ParseEntry(std::string_view line, int lineNumber) {
    const size_t open = line.find('"');
    const size_t close = line.rfind('"');
    if (open == std::string_view::npos || close == open) {
        throw Failure{lineNumber, "expected <number> \"<text>\""};
    }
    const std::string_view number = TrimBlanks(line.substr(0, open));
    int id = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), id);
    if (number.empty() || ec != std::errc() || end != number.data() + number.size() || id < 0 ||
        id > 65535) {
        throw Failure{lineNumber, "the entry number must be a whole number from 0 to 65535"};
    }
    if (!TrimBlanks(line.substr(close + 1)).empty()) {
        throw Failure{lineNumber, "text after the closing quote"};
    }
    return {id, std::string(line.substr(open + 1, close - open - 1))};
}

std::map<int, std::pair<std::string, int>> ReadEntries(std::istream& in) {
    std::map<int, std::pair<std::string, int>> entries;  // id -> text, line
    std::string line;
    for (int lineNumber = 1; std::getline(in, line); ++lineNumber) {
        const std::string_view content = TrimBlanks(line);
        if (content.empty() || content.front() == '#') continue;
        auto [id, text] = ParseEntry(line, lineNumber);
        if (entries.contains(id)) {
            throw Failure{lineNumber, "entry " + std::to_string(id) + " is listed twice (line " +
                                          std::to_string(entries[id].second) + ")"};
        }
        entries.emplace(id, std::make_pair(std::move(text), lineNumber));
    }
    return entries;
}

bool IsWholeNumber(std::string_view text, long long low, long long high) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && ec == std::errc() && end == text.data() + text.size() &&
           value >= low && value <= high;
}

void CheckReadEntries(const std::map<int, std::pair<std::string, int>>& entries) {
    for (const int id : {1, 9, 10, 11, 12, 15, 16, 17, 18, 19, 20}) {
        if (!entries.contains(id)) {
            throw Failure{0, "entry " + std::to_string(id) + " is missing; the add-in reads it"};
        }
    }
    constexpr std::tuple<int, long long, long long> kNumbers[] = {
        {9, -32768, 32767}, {10, -32768, 32767}, {12, -2147483648LL, 2147483647LL}};
    for (const auto& [id, low, high] : kNumbers) {
        const auto& [text, line] = entries.at(id);
        if (!IsWholeNumber(text, low, high)) {
            throw Failure{line, "entry " + std::to_string(id) + " must be a whole number"};
        }
    }
}

// A C++ string literal of the bytes: printable ASCII as it stands, every
// other byte as a three-digit octal escape, so UTF-8 passes through intact.
std::string Literal(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte >= 0x20 && byte < 0x7F) {
            out += c;
        } else {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\%03o", byte);
            out += escape;
        }
    }
    return out + "\"";
}

std::string Source(const std::map<int, std::pair<std::string, int>>& entries) {
    std::ostringstream out;
    out << "// Generated from company_defaults.txt by qv_string_table_gen; edit that file.\n"
           "#include \"settings/string_table.h\"\n\n"
           "namespace qv::settings {\n\nnamespace {\n\n"
           "constexpr StringTableEntry kEntries[] = {\n";
    for (const auto& [id, entry] : entries) {
        out << "    {" << id << ", " << Literal(entry.first) << "},\n";
    }
    out << "};\n\n}  // namespace\n\n"
           "std::span<const StringTableEntry> CompiledStringTable() { return kEntries; }\n\n"
           "}  // namespace qv::settings\n";
    return out.str();
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::cerr << "usage: qv_string_table_gen <company_defaults.txt> <output.cpp>\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << argv[1] << ": cannot be read\n";
        return 1;
    }
    try {
        const auto entries = ReadEntries(in);
        CheckReadEntries(entries);
        std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
        out << Source(entries);
        if (!out.flush()) {
            std::cerr << argv[2] << ": cannot be written\n";
            return 1;
        }
    } catch (const Failure& failure) {
        std::cerr << argv[1];
        if (failure.line > 0) std::cerr << ':' << failure.line;
        std::cerr << ": " << failure.message << '\n';
        return 1;
    }
    return 0;
}
