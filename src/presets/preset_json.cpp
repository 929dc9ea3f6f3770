#include "presets/preset_json.h"

#include "presets/number_text.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string_view>

namespace trembla {
namespace {

[[noreturn]] void refuse(const std::string& where, const std::string& what) {
    throw std::invalid_argument(what + " at " + (where.empty() ? std::string("/") : where));
}

void append_u_escape(std::string& out, std::uint32_t unit) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned>(unit));
    out += buffer;
}

// Decodes one code point at text[i], advancing i; returns false for anything that is not
// well-formed UTF-8 (overlong forms, surrogates, values above U+10FFFF, cut-off sequences).
bool next_code_point(const std::string& text, std::size_t& i, std::uint32_t& code_point) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    int continuation = 0;
    std::uint32_t minimum = 0;
    if (lead < 0x80) {
        code_point = lead;
        ++i;
        return true;
    } else if ((lead & 0xE0) == 0xC0) {
        continuation = 1, code_point = lead & 0x1Fu, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        continuation = 2, code_point = lead & 0x0Fu, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        continuation = 3, code_point = lead & 0x07u, minimum = 0x10000;
    } else {
        return false;
    }
    if (text.size() - i <= static_cast<std::size_t>(continuation)) return false;  // cut off
    for (int k = 1; k <= continuation; ++k) {
        const unsigned char next = byte(i + static_cast<std::size_t>(k));
        if ((next & 0xC0) != 0x80) return false;
        code_point = (code_point << 6) | (next & 0x3Fu);
    }
    if (code_point < minimum || code_point > 0x10FFFF || (code_point >= 0xD800 && code_point <= 0xDFFF)) {
        return false;
    }
    i += static_cast<std::size_t>(continuation) + 1;
    return true;
}

void append_quoted(std::string& out, const std::string& text, const std::string& where) {
    out += '"';
    std::size_t i = 0;
    while (i < text.size()) {
        std::uint32_t c = 0;
        if (!next_code_point(text, i, c)) refuse(where, "text that is not valid UTF-8");
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c >= 0x20 && c <= 0x7E) {
                    out += static_cast<char>(c);
                } else if (c < 0x10000) {
                    append_u_escape(out, c);
                } else {
                    const std::uint32_t offset = c - 0x10000;
                    append_u_escape(out, 0xD800 + (offset >> 10));
                    append_u_escape(out, 0xDC00 + (offset & 0x3FF));
                }
        }
    }
    out += '"';
}

// Keeps the error location readable: a JSON pointer with ~ and / escaped.
std::string pointer_step(const std::string& where, const std::string& key) {
    std::string step = where + '/';
    for (char c : key) {
        if (c == '~') step += "~0";
        else if (c == '/') step += "~1";
        else step += c;
    }
    return step;
}

void append_indent(std::string& out, int depth) { out.append(static_cast<std::size_t>(depth) * 2, ' '); }

void append_value(std::string& out, const PresetJson& value, int depth, const std::string& where) {
    using Type = PresetJson::value_t;
    switch (value.type()) {
        case Type::null: out += "null"; return;
        case Type::boolean: out += value.get<bool>() ? "true" : "false"; return;
        case Type::number_integer: out += std::to_string(value.get<std::int64_t>()); return;
        case Type::number_unsigned: out += std::to_string(value.get<std::uint64_t>()); return;
        case Type::number_float: {
            const double number = value.get<double>();
            if (!std::isfinite(number)) refuse(where, "a number that is not finite (NaN or infinity)");
            out += python_float_repr(number);
            return;
        }
        case Type::string: append_quoted(out, value.get_ref<const std::string&>(), where); return;
        case Type::array:
        case Type::object: break;
        default: refuse(where, "a value that JSON cannot hold");
    }

    const bool is_object = value.is_object();
    if (value.empty()) {
        out += is_object ? "{}" : "[]";
        return;
    }
    if (depth + 1 > kMaxPresetNesting) refuse(where, "nesting deeper than " + std::to_string(kMaxPresetNesting) + " levels");
    out += is_object ? '{' : '[';
    bool first = true;
    std::size_t index = 0;
    for (auto it = value.begin(); it != value.end(); ++it, ++index) {
        out += first ? "\n" : ",\n";
        first = false;
        append_indent(out, depth + 1);
        if (is_object) {
            const std::string step = pointer_step(where, it.key());
            append_quoted(out, it.key(), step);
            out += ": ";
            append_value(out, it.value(), depth + 1, step);
        } else {
            append_value(out, *it, depth + 1, where + '/' + std::to_string(index));
        }
    }
    out += '\n';
    append_indent(out, depth);
    out += is_object ? '}' : ']';
}

}  // namespace

std::string dump_like_python(const PresetJson& value) {
    std::string out;
    append_value(out, value, 0, "");
    return out;
}

int json_text_nesting_depth(const std::string& text) {
    int depth = 0;
    int deepest = 0;
    bool in_string = false;
    bool escaped = false;
    for (char c : text) {
        if (in_string) {
            if (escaped) escaped = false;
            else if (c == '\\') escaped = true;
            else if (c == '"') in_string = false;
        } else if (c == '"') {
            in_string = true;
        } else if (c == '[' || c == '{') {
            if (++depth > deepest) deepest = depth;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return deepest;
}

}  // namespace trembla
