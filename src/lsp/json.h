#pragma once
// The JSON of the protocol's messages. A client's message is read leniently,
// as the server always has: a member that is missing or of another kind reads
// as empty (an empty object or array, "", 0, or the default given), so that
// params of the wrong shape get empty answers rather than errors. Objects
// keep their keys in order, so a message's bytes do not depend on the order
// it was built in.

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

namespace qv::lsp {

using Json = nlohmann::json;

// The member of an object; null when the value is no object or lacks it.
const Json& Member(const Json& object, std::string_view key);
bool Has(const Json& object, std::string_view key);

// The value when it is of the kind, else an empty one of that kind.
const Json& ObjectOf(const Json& value);
const Json& ArrayOf(const Json& value);
const std::string& StringOf(const Json& value);
// A number that is a whole int (2 and 2.0 alike), else the fallback.
int IntOf(const Json& value, int fallback = 0);
bool BoolOf(const Json& value, bool fallback);

// The members of members: ObjectAt(params, "textDocument") and the like.
inline const Json& ObjectAt(const Json& object, std::string_view key) {
    return ObjectOf(Member(object, key));
}
inline const std::string& StringAt(const Json& object, std::string_view key) {
    return StringOf(Member(object, key));
}

// A message's body as JSON: an object or an array (a bare value is no
// message), at most 1024 levels deep. Nothing when it is not such JSON, and
// problem says why.
std::optional<Json> ParseMessage(std::string_view body, std::string& problem);

// A value taken from a client to be sent back (a request's id, an action to
// resolve): numbers with a fraction of zero are whole numbers again, so that
// an id of 1.0 comes back as 1.
Json Echoed(Json value);

// The compact text of a value: no blanks, keys in order, text as UTF-8 with
// only the characters JSON must escape escaped. Bytes of a text that are not
// UTF-8 (an engine's text in another code page may hold such) each stand
// for U+FFFD.
std::string Dump(const Json& value);

}  // namespace qv::lsp
