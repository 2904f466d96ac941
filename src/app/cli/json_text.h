#pragma once
// The JSON the command line prints. Values are nlohmann::json (objects keep
// their keys sorted); the text is written the way the command line has always
// written it, so that scripts and stored outputs stay valid byte for byte:
// indented by four spaces with ": " after a key, or compact; an empty array
// or object of indented output on two lines; only '"', '\\' and the control
// characters escaped (\b \f \n \r \t, the others as \u00hh); integers in
// decimal, other numbers in their shortest form ("1e+20"); and every byte of
// a string that is not part of valid UTF-8 written as U+FFFD.

#include <iosfwd>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace qv::cli {

// A JSON value (object, array, string, number, ...).
using JsonNode = nlohmann::json;

enum class JsonLayout { Indented, Compact };

// The value as text; indented text ends with a line break.
std::string JsonText(const JsonNode& value, JsonLayout layout);

// A string value as JSON text (quoted, escaped) appended to out.
void AppendJsonString(std::string& out, std::string_view utf8);
// ASCII text as a JSON string holds it, without the quotes, appended to out:
// each byte stands for itself there, so that pieces escaped apart join to
// the whole escaped.
void AppendJsonBody(std::string& out, std::string_view ascii);

// Indented JSON and a line break.
void WriteJson(std::ostream& out, const JsonNode& value);

}  // namespace qv::cli
