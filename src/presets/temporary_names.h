// How the temporary files of an atomic replacement are named and recognised again, the same on
// every platform: ".<name>.tmp-<host>-<pid>-<n>" beside the target. The host and the process are
// in the name so that a later session can tell which leftovers belong to processes that are gone.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace trembla {

// A machine name as it may appear in a file name: anything but ASCII letters, digits, '.' and '-'
// becomes '_'; "host" when nothing is left.
std::string file_name_tag(const std::string& machine_name);

// The name of the first temporary of a process; the counter tells its later ones apart.
std::string temporary_stem(const std::string& base_name, const std::string& host_tag, unsigned long long pid);

// The names among `entries` (a directory listing beside the target `base_name`) of temporaries
// that processes of this host left and that no longer run. Names of other hosts, of this process
// and of running processes, and names that are not ours, are not answered. Names "<pid>-<n>"
// without a host, as earlier versions wrote them, count as this host's.
std::vector<std::string> stale_temporary_names(const std::vector<std::string>& entries, const std::string& base_name,
                                               const std::string& this_host, unsigned long long this_pid,
                                               const std::function<bool(unsigned long long)>& process_runs);

}  // namespace trembla
