#pragma once
// The INI file format of the settings files on Linux, as every earlier
// version of this program wrote them and still reads them: sections sorted
// by name ("[General]" for the top level), keys sorted within a section,
// names %-encoded (%XX up to U+00FF, %UXXXX above; "/" inside a name as a
// backslash), values escaped C-style (\n, \", \\, \xhh, ...) and quoted when
// they hold ";", "," or "=" or begin or end with a space, a value beginning
// with "@" doubled to "@@", one with a NUL byte as "@String(...)", and a
// value of unquoted, comma-separated pieces read as a list. Reading follows
// the same rules, so a file typed by hand reads as it always did.
//
// Names and values are kept as UTF-16 here because the rules (the order of
// names, the escapes, the decoding of bytes) are defined on UTF-16 units.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::settings::ini {

// One stored value as the file holds it.
struct Value {
    enum class Kind {
        Text,    // a text
        NoData,  // "@Invalid()": a value that holds nothing
        Bytes,   // "@ByteArray(...)": text holds the bytes, one per unit
        Other,   // another typed value ("@Variant(...)" and the like): text is kept raw
        List,    // comma-separated pieces
    };
    Kind kind = Kind::Text;
    std::u16string text;
    std::vector<Value> items;  // the pieces of a List
    // A List one of whose pieces is a typed value: it has no text.
    bool typedItems = false;

    bool operator==(const Value&) const = default;
};

// Every value of a file by its full name: "section/key" ("key" at the top
// level); nested names have more "/".
using Document = std::map<std::u16string, Value>;

// The values of a file's bytes.
Document Parse(std::string_view bytes);
// The file's bytes for these values.
std::string Serialize(const Document& document);

// The text of a value as a setting reads it (UTF-8); nothing when the value
// holds no text. A list reads as its pieces joined by ", ".
std::optional<std::string> StoredText(const Value& value);
// A text value (from UTF-8).
Value TextValue(std::string_view utf8);

// The full name of a value from a path of names separated by "/" or "\"
// (empty names dropped), as UTF-16.
std::u16string NormalizedName(std::string_view utf8Path);

// UTF-8 to UTF-16 and back; an invalid byte reads as U+FFFD, an unpaired
// surrogate writes as U+FFFD.
std::u16string ToUtf16(std::string_view utf8);
std::string ToUtf8(std::u16string_view utf16);

}  // namespace qv::settings::ini
