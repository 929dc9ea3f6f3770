// The JSON type of the preset file and its text layout.
#pragma once

#include <string>

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

// The deepest nesting of arrays and objects in JSON text, not counting brackets inside strings.
// Lets a load refuse a file before building it.
int json_text_nesting_depth(const std::string& text);

}  // namespace trembla
