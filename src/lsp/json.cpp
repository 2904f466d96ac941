#include "lsp/json.h"

#include <algorithm>
#include <cmath>

#include "lsp/utf8_text.h"

namespace qv::lsp {

namespace {

// Deeper nesting is refused rather than followed: sending it back would
// recurse as deep.
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
    // Only a body with that many brackets can nest too deep; the others are
    // parsed without looking at each level.
    const auto brackets = std::count_if(body.begin(), body.end(),
                                        [](char c) { return c == '[' || c == '{'; });
    bool tooDeep = false;
    Json::parser_callback_t watchDepth = [&](int depth, Json::parse_event_t event, Json&) {
        if ((event == Json::parse_event_t::object_start ||
             event == Json::parse_event_t::array_start) &&
            depth >= kDeepestNesting) {
            tooDeep = true;
            return false;
        }
        return true;
    };
    try {
        Json value = brackets > kDeepestNesting ? Json::parse(body, watchDepth) : Json::parse(body);
        if (tooDeep) {
            problem = "too deeply nested document";
        } else if (!value.is_object() && !value.is_array()) {
            problem = "illegal value";  // a bare value is no message
        } else {
            return value;
        }
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
