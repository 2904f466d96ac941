#pragma once
// The program's string table: the company defaults (entries 1-20) and the
// explanations for whoever edits them (100-119). The table is compiled in
// from company_defaults.txt beside this header; a company edits that file
// and rebuilds.

#include <span>
#include <string>
#include <string_view>

namespace qv::settings {

struct StringTableEntry {
    int id;
    std::string_view text;
};

// Entries read by the program: the override switch, the four overridable
// settings and the six hot keys.
inline constexpr int kOverrideEntry = 1;
inline constexpr int kMenuEntry = 9;
inline constexpr int kSelectEntry = 10;
inline constexpr int kInsertEntry = 11;
inline constexpr int kCommentEntry = 12;
inline constexpr int kFirstHotKeyEntry = 15;
inline constexpr int kHotKeyCount = 6;

// A string table as a run reads it. Everything that reads the company
// defaults takes the table as a value, the compiled one unless a caller (a
// test, a page shown with other defaults) hands in another.
using StringTable = std::span<const StringTableEntry>;

// The table compiled from company_defaults.txt, in ascending id order
// (defined in the generated source).
StringTable CompiledStringTable();

// The entry id as it stands in the table; raises error 326 when the table
// has no such entry.
std::string_view StringTableText(int id, StringTable table = CompiledStringTable());

// LoadRes: the entry id with leading and trailing spaces removed.
std::string LoadRes(int id, StringTable table = CompiledStringTable());

}  // namespace qv::settings
