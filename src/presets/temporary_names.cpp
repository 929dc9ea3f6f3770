#include "presets/temporary_names.h"

#include <cstdlib>

namespace trembla {
namespace {

std::string temporary_prefix(const std::string& base_name) { return "." + base_name + ".tmp-"; }

bool all_digits(const std::string& text) {
    if (text.empty() || text.size() > 18) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

// The owner of the part after the prefix, "<host>-<pid>-<n>" or "<pid>-<n>": false when the name
// is not one of ours.
bool temporary_owner(const std::string& rest, const std::string& this_host, std::string& host,
                     unsigned long long& pid) {
    const std::size_t last = rest.find_last_of('-');
    if (last == std::string::npos || !all_digits(rest.substr(last + 1))) return false;
    const std::string head = rest.substr(0, last);
    const std::size_t before = head.find_last_of('-');
    const std::string pid_text = before == std::string::npos ? head : head.substr(before + 1);
    if (!all_digits(pid_text)) return false;
    host = before == std::string::npos ? this_host : head.substr(0, before);
    pid = std::strtoull(pid_text.c_str(), nullptr, 10);
    return true;
}

}  // namespace

std::string file_name_tag(const std::string& machine_name) {
    std::string tag;
    for (char c : machine_name) {
        const bool plain =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-';
        tag += plain ? c : '_';
    }
    return tag.empty() ? std::string("host") : tag;
}

std::string temporary_stem(const std::string& base_name, const std::string& host_tag, unsigned long long pid) {
    return temporary_prefix(base_name) + host_tag + "-" + std::to_string(pid) + "-";
}

std::vector<std::string> stale_temporary_names(const std::vector<std::string>& entries, const std::string& base_name,
                                               const std::string& this_host, unsigned long long this_pid,
                                               const std::function<bool(unsigned long long)>& process_runs) {
    const std::string prefix = temporary_prefix(base_name);
    std::vector<std::string> stale;
    for (const std::string& name : entries) {
        if (name.compare(0, prefix.size(), prefix) != 0) continue;
        std::string host;
        unsigned long long pid = 0;
        if (!temporary_owner(name.substr(prefix.size()), this_host, host, pid)) continue;
        if (host != this_host || pid == this_pid || process_runs(pid)) continue;
        stale.push_back(name);
    }
    return stale;
}

}  // namespace trembla
