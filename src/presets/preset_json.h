// The JSON type of the preset file and its text layout.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>

#include <nlohmann/json.hpp>

namespace trembla {

// Member order matters to users reading the file, so it is kept as loaded or inserted.
using PresetJson = nlohmann::ordered_json;

// Deeper values are refused on load and on save: writing and copying them recurses, and a
// hand-made file must not be able to exhaust the host's stack.
inline constexpr int kMaxPresetNesting = 512;

// The text Python's json.dump(value, f, indent=2) writes (ensure_ascii on, no sort, Python 3
// separators): two spaces per level, one member per line, "{}" and "[]" for empty containers,
// floats as Python's repr, every character outside printable ASCII as a lowercase \u escape
// (surrogate pairs above U+FFFF). nlohmann's own dump differs from this for some floats.
// Throws std::invalid_argument for what JSON cannot hold (NaN, infinity, text that is not
// UTF-8, binary values) or for nesting deeper than kMaxPresetNesting; the message says where.
std::string dump_like_python(const PresetJson& value);

// Parses JSON text as PresetJson::parse does (same values, same member order, same exceptions and
// messages, a repeated member name keeping its first place and its last value), but in time
// linear in the number of members: the ordered object's own insertion searches every member.
PresetJson parse_preset_text(const std::string& text);

// Throws a parser error received by a SAX handler as its own type (parse_error, out_of_range, ...),
// as nlohmann's DOM parser does, so that every parse of preset text fails the same way.
[[noreturn]] void throw_parser_error(const PresetJson::exception& error);

// Adds members to an object in constant time each, with the same rule for repeated names: the
// value of an existing member is replaced in its place.
class ObjectMembers {
public:
    explicit ObjectMembers(PresetJson& object);  // object must be a JSON object
    // The value of member `key`, a new null member at the end when there is none.
    PresetJson& slot(const std::string& key);

private:
    PresetJson::object_t* members_;
    std::unordered_map<std::string, std::size_t> index_;  // filled once the object grows
};

// The deepest nesting of arrays and objects in JSON text, not counting brackets inside strings.
// Lets a load refuse a file before building it.
int json_text_nesting_depth(const std::string& text);

}  // namespace trembla
