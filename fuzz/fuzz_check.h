// Invariant checks for the fuzz targets. A broken invariant aborts: libFuzzer then keeps the input
// as a crash, and the corpus replay fails its test.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace trembla::fuzzing {

[[noreturn]] inline void fail(const char* file, int line, const char* condition, const std::string& what) {
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n  (%s)\n", file, line, what.c_str(), condition);
    std::fflush(stderr);
    std::abort();
}

}  // namespace trembla::fuzzing

#define FUZZ_REQUIRE(condition, what) \
    ((condition) ? static_cast<void>(0) : ::trembla::fuzzing::fail(__FILE__, __LINE__, #condition, (what)))
