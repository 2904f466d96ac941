#include "lsp/json.h"

#include <algorithm>
#include <cmath>

#include "lsp/utf8_text.h"

namespace qv::lsp {

namespace {

// Deeper nesting is refused rather than followed: sending it back would
// recurse as deep. (The parser's own depth callback is not used: it walks
// the whole parent at the end of each object, which is quadratic.)
constexpr int kDeepestNesting = 1024;

const Json kNull;
const Json kEmptyObject = Json::object();
const Json kEmptyArray = Json::array();
const std::string kEmptyString;

// What the parser says, without its exception's name.
std::string Reason(const Json::exception& e) {
    std::string_view text = e.what();
    if (text.starts_with("[json.exception.")) {
        const size_t close = text.find("] ");
        if (close != std::string_view::npos) text.remove_prefix(close + 2);
    }
    return std::string(text);
}

// The value with every text, keys too, as UTF-8.
Json WithUtf8Texts(const Json& value) {
    if (value.is_string()) return Json(ReplacingNonUtf8(value.get_ref<const std::string&>()));
    if (value.is_array()) {
        Json array = Json::array();
        for (const Json& item : value) array.push_back(WithUtf8Texts(item));
        return array;
    }
    if (value.is_object()) {
        Json object = Json::object();
        for (const auto& [key, item] : value.items()) {
            object[ReplacingNonUtf8(key)] = WithUtf8Texts(item);
        }
        return object;
    }
    return value;
}

bool IsHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The UTF-16 unit of a "\uXXXX" escape at `at`, or -1.
long EscapedUnit(std::string_view text, size_t at) {
    if (at + 6 > text.size() || text[at] != '\\' || text[at + 1] != 'u') return -1;
    long unit = 0;
    for (size_t i = at + 2; i < at + 6; ++i) {
        if (!IsHex(text[i])) return -1;
        unit = unit * 16 + (text[i] <= '9' ? text[i] - '0' : (text[i] | 0x20) - 'a' + 10);
    }
    return unit;
}

// What some clients send and the server has always read, made into strict
// JSON: control characters inside a string escaped, and a "\u" escape of
// half a surrogate pair without its other half read as "?". The text as it
// was when there is nothing such in it.
std::string Mended(std::string_view body) {
    std::string mended;
    mended.reserve(body.size());
    bool inString = false;
    for (size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (!inString) {
            inString = c == '"';
            mended += c;
        } else if (c == '"') {
            inString = false;
            mended += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            constexpr char kHex[] = "0123456789abcdef";
            mended += "\\u00";
            mended += kHex[(c >> 4) & 15];
            mended += kHex[c & 15];
        } else if (c != '\\') {
            mended += c;
        } else if (const long unit = EscapedUnit(body, i); unit >= 0xD800 && unit <= 0xDFFF) {
            const long next = EscapedUnit(body, i + 6);
            if (unit <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
                mended.append(body.substr(i, 12));
                i += 11;
            } else {
                mended += '?';
                i += 5;
            }
        } else if (i + 1 < body.size()) {
            mended.append(body.substr(i, 2));  // an escape: its second character is no quote
            ++i;
        } else {
            mended += c;
        }
    }
    return mended;
}

// Whether brackets outside strings open more than `limit` levels at once.
bool NestsDeeperThan(std::string_view body, int limit) {
    int depth = 0;
    bool inString = false;
    for (size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > limit) return true;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return false;
}

}  // namespace

const Json& Member(const Json& object, std::string_view key) {
    if (!object.is_object()) return kNull;
    const auto it = object.find(key);
    return it == object.end() ? kNull : *it;
}

bool Has(const Json& object, std::string_view key) {
    return object.is_object() && object.find(key) != object.end();
}

const Json& ObjectOf(const Json& value) { return value.is_object() ? value : kEmptyObject; }
const Json& ArrayOf(const Json& value) { return value.is_array() ? value : kEmptyArray; }

const std::string& StringOf(const Json& value) {
    return value.is_string() ? value.get_ref<const std::string&>() : kEmptyString;
}

int IntOf(const Json& value, int fallback) {
    if (value.is_number_unsigned()) {
        const auto n = value.get<std::uint64_t>();
        return n <= static_cast<std::uint64_t>(INT32_MAX) ? static_cast<int>(n) : fallback;
    }
    if (value.is_number_integer()) {
        const auto n = value.get<std::int64_t>();
        return n >= INT32_MIN && n <= INT32_MAX ? static_cast<int>(n) : fallback;
    }
    if (value.is_number_float()) {
        const double d = value.get<double>();
        if (std::trunc(d) == d && d >= INT32_MIN && d <= INT32_MAX) return static_cast<int>(d);
    }
    return fallback;
}

bool BoolOf(const Json& value, bool fallback) {
    return value.is_boolean() ? value.get<bool>() : fallback;
}

std::optional<Json> ParseMessage(std::string_view body, std::string& problem) {
    // Only a body with that many brackets can nest too deep: the others are
    // not scanned for it.
    const auto brackets =
        std::count_if(body.begin(), body.end(), [](char c) { return c == '[' || c == '{'; });
    if (brackets > kDeepestNesting && NestsDeeperThan(body, kDeepestNesting)) {
        problem = "too deeply nested document";
        return std::nullopt;
    }
    try {
        Json value;
        try {
            value = Json::parse(body);
        } catch (const Json::parse_error& first) {
            const std::string mended = Mended(body);
            if (mended == body) throw;
            try {
                value = Json::parse(mended);
            } catch (const Json::parse_error&) {
                throw first;  // what is wrong with the text as it came
            }
        }
        if (!value.is_object() && !value.is_array()) {
            problem = "illegal value";  // a bare value is no message
            return std::nullopt;
        }
        return value;
    } catch (const Json::exception& e) {
        problem = Reason(e);
    }
    return std::nullopt;
}

Json Echoed(Json value) {
    if (value.is_number_float()) {
        const double d = value.get<double>();
        if (std::trunc(d) == d && std::abs(d) < 9007199254740992.0) {
            return Json(static_cast<std::int64_t>(d));
        }
    } else if (value.is_structured()) {
        for (Json& item : value) item = Echoed(std::move(item));
    }
    return value;
}

std::string Dump(const Json& value) {
    try {
        return value.dump();
    } catch (const Json::type_error& e) {
        if (e.id != 316) throw;  // 316: a text that is not UTF-8
    }
    return WithUtf8Texts(value).dump();
}

}  // namespace qv::lsp
