#include "presets/preset_json.h"

#include "presets/number_text.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace trembla {
namespace {

// Where a value sits, as a chain of steps from the root that becomes a JSON pointer (with ~ and /
// escaped) only when a message needs it: writing stays linear however many presets there are.
struct Where {
    const Where* parent = nullptr;     // nullptr at the root
    const std::string* key = nullptr;  // the member name, or nullptr for an array element
    std::size_t index = 0;

    Where member(const std::string& name) const { return Where{this, &name, 0}; }
    Where element(std::size_t i) const { return Where{this, nullptr, i}; }

    std::string pointer() const {
        std::vector<const Where*> steps;
        for (const Where* step = this; step->parent != nullptr; step = step->parent) steps.push_back(step);
        std::string text;
        for (auto it = steps.rbegin(); it != steps.rend(); ++it) {
            text += '/';
            if ((*it)->key == nullptr) {
                text += std::to_string((*it)->index);
                continue;
            }
            for (char c : *(*it)->key) {
                if (c == '~') text += "~0";
                else if (c == '/') text += "~1";
                else text += c;
            }
        }
        return text.empty() ? std::string("/") : text;
    }
};

[[noreturn]] void refuse(const Where& where, const std::string& what) {
    throw std::invalid_argument(what + " at " + where.pointer());
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

void append_quoted(std::string& out, const std::string& text, const Where& where) {
    out += '"';
    std::size_t i = 0;
    while (i < text.size()) {
        std::uint32_t c = 0;
        if (!next_code_point(text, i, c)) refuse(where, "text that is not valid UTF-8");
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
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

void append_indent(std::string& out, int depth) { out.append(static_cast<std::size_t>(depth) * 2, ' '); }

void append_value(std::string& out, const PresetJson& value, int depth, const Where& where) {
    using Type = PresetJson::value_t;
    switch (value.type()) {
        case Type::null:
            out += "null";
            return;
        case Type::boolean:
            out += value.get<bool>() ? "true" : "false";
            return;
        case Type::number_integer:
            out += std::to_string(value.get<std::int64_t>());
            return;
        case Type::number_unsigned:
            out += std::to_string(value.get<std::uint64_t>());
            return;
        case Type::number_float: {
            const double number = value.get<double>();
            if (!std::isfinite(number)) refuse(where, "a number that is not finite (NaN or infinity)");
            out += python_float_repr(number);
            return;
        }
        case Type::string:
            append_quoted(out, value.get_ref<const std::string&>(), where);
            return;
        case Type::array:
        case Type::object:
            break;
        default:
            refuse(where, "a value that JSON cannot hold");
    }

    const bool is_object = value.is_object();
    if (value.empty()) {
        out += is_object ? "{}" : "[]";
        return;
    }
    if (depth + 1 > kMaxPresetNesting)
        refuse(where, "nesting deeper than " + std::to_string(kMaxPresetNesting) + " levels");
    out += is_object ? '{' : '[';
    bool first = true;
    std::size_t index = 0;
    for (auto it = value.begin(); it != value.end(); ++it, ++index) {
        out += first ? "\n" : ",\n";
        first = false;
        append_indent(out, depth + 1);
        if (is_object) {
            const Where step = where.member(it.key());
            append_quoted(out, it.key(), step);
            out += ": ";
            append_value(out, it.value(), depth + 1, step);
        } else {
            append_value(out, *it, depth + 1, where.element(index));
        }
    }
    out += '\n';
    append_indent(out, depth);
    out += is_object ? '}' : ']';
}

}  // namespace

std::string dump_like_python(const PresetJson& value) {
    std::string out;
    append_value(out, value, 0, Where{});
    return out;
}

void throw_parser_error(const PresetJson::exception& error) {
    switch ((error.id / 100) % 100) {
        case 1:
            throw *static_cast<const PresetJson::parse_error*>(&error);
        case 2:
            throw *static_cast<const PresetJson::invalid_iterator*>(&error);
        case 3:
            throw *static_cast<const PresetJson::type_error*>(&error);
        case 4:
            throw *static_cast<const PresetJson::out_of_range*>(&error);
        default:
            throw *static_cast<const PresetJson::other_error*>(&error);
    }
}

ObjectMembers::ObjectMembers(PresetJson& object) : members_(&object.get_ref<PresetJson::object_t&>()) {}

PresetJson& ObjectMembers::slot(const std::string& key) {
    // Below this size a plain search is cheaper than hashing; preset records have some twenty
    // members, the file itself may have a hundred thousand.
    constexpr std::size_t kIndexFrom = 32;
    PresetJson::object_t& members = *members_;
    if (index_.empty()) {
        if (members.size() < kIndexFrom) {
            for (auto& member : members) {
                if (member.first == key) return member.second;
            }
            members.emplace_back(key, PresetJson());
            return members.back().second;
        }
        index_.reserve(members.size() * 2);
        for (std::size_t i = 0; i < members.size(); ++i) index_.emplace(members.begin()[i].first, i);
    }
    const auto found = index_.emplace(key, members.size());
    if (!found.second) return members.begin()[found.first->second].second;
    members.emplace_back(key, PresetJson());
    return members.back().second;
}

namespace {

// Builds the value as nlohmann's own DOM parser does, except that members go in through
// ObjectMembers.
class LinearDomBuilder {
public:
    using number_integer_t = PresetJson::number_integer_t;
    using number_unsigned_t = PresetJson::number_unsigned_t;
    using number_float_t = PresetJson::number_float_t;
    using string_t = PresetJson::string_t;
    using binary_t = PresetJson::binary_t;

    bool null() { return place(PresetJson()); }
    bool boolean(bool value) { return place(PresetJson(value)); }
    bool number_integer(number_integer_t value) { return place(PresetJson(value)); }
    bool number_unsigned(number_unsigned_t value) { return place(PresetJson(value)); }
    bool number_float(number_float_t value, const string_t&) { return place(PresetJson(value)); }
    // The parser clears its token before reading the next one, so its text may be taken.
    bool string(string_t& value) { return place(PresetJson(std::move(value))); }
    bool binary(binary_t& value) { return place(PresetJson::binary(std::move(value))); }

    bool start_object(std::size_t) {
        place(PresetJson::object());
        open_.push_back(Open{last_, std::make_unique<ObjectMembers>(*last_)});
        return true;
    }
    bool key(string_t& name) {
        member_ = &open_.back().members->slot(name);
        return true;
    }
    bool end_object() {
        open_.pop_back();
        return true;
    }
    bool start_array(std::size_t) {
        place(PresetJson::array());
        open_.push_back(Open{last_, nullptr});
        return true;
    }
    bool end_array() {
        open_.pop_back();
        return true;
    }

    [[noreturn]] bool parse_error(std::size_t, const std::string&, const PresetJson::exception& error) {
        throw_parser_error(error);
    }

    PresetJson take() { return std::move(root_); }

private:
    struct Open {
        PresetJson* value;
        std::unique_ptr<ObjectMembers> members;  // for an object
    };

    // Containers on the stack never move: a value is only ever added to the innermost one, and
    // only the elements of that one can move when it grows.
    bool place(PresetJson&& value) {
        if (open_.empty()) {
            root_ = std::move(value);
            last_ = &root_;
        } else if (open_.back().members) {
            *member_ = std::move(value);
            last_ = member_;
        } else {
            auto& elements = open_.back().value->get_ref<PresetJson::array_t&>();
            elements.push_back(std::move(value));
            last_ = &elements.back();
        }
        return true;
    }

    PresetJson root_;
    PresetJson* last_ = nullptr;
    PresetJson* member_ = nullptr;
    std::vector<Open> open_;
};

}  // namespace

PresetJson parse_preset_text(const std::string& text) {
    LinearDomBuilder builder;
    PresetJson::sax_parse(text, &builder);
    return builder.take();
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
