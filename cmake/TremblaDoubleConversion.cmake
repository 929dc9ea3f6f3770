# double-conversion: the preset file's shortest round-trip number text (src/presets/number_text.cpp).
# Debian: libdouble-conversion-dev. Elsewhere the studio supplies it (vcpkg/conan "double-conversion",
# or its CMake build installed under a prefix named in CMAKE_PREFIX_PATH or DOUBLE_CONVERSION_ROOT).
# Every build links the static archive: Maya ships no libdouble-conversion (Qt keeps its own copy
# private), so a module needing the shared library would not load there, and the install step
# refuses one that does (TremblaInstall.cmake). Debian's -dev package carries the archive, built
# position-independent. On Windows a .lib may be an import library; there the studio's build must
# be the static one (vcpkg: an x64-windows-static-md triplet).
find_path(TREMBLA_DOUBLE_CONVERSION_INCLUDE_DIR double-conversion/double-conversion.h
  HINTS ${DOUBLE_CONVERSION_ROOT} PATH_SUFFIXES include)
# A cache entry of its own: build folders configured before kept the shared library's path under
# the old name.
find_library(TREMBLA_DOUBLE_CONVERSION_ARCHIVE
  NAMES ${CMAKE_STATIC_LIBRARY_PREFIX}double-conversion${CMAKE_STATIC_LIBRARY_SUFFIX} double-conversion
  HINTS ${DOUBLE_CONVERSION_ROOT} PATH_SUFFIXES lib lib64)
if(NOT TREMBLA_DOUBLE_CONVERSION_INCLUDE_DIR OR NOT TREMBLA_DOUBLE_CONVERSION_ARCHIVE)
  message(FATAL_ERROR "double-conversion not found (Debian: apt-get install libdouble-conversion-dev; "
                      "elsewhere set DOUBLE_CONVERSION_ROOT to its install prefix)")
endif()
if(NOT WIN32 AND NOT TREMBLA_DOUBLE_CONVERSION_ARCHIVE MATCHES "\\${CMAKE_STATIC_LIBRARY_SUFFIX}$")
  message(WARNING "double-conversion: no static archive found, linking ${TREMBLA_DOUBLE_CONVERSION_ARCHIVE}; "
                  "the module builds and tests, but the install step refuses it (Maya ships no such library)")
endif()
add_library(trembla_double_conversion INTERFACE)
target_include_directories(trembla_double_conversion SYSTEM INTERFACE ${TREMBLA_DOUBLE_CONVERSION_INCLUDE_DIR})
target_link_libraries(trembla_double_conversion INTERFACE ${TREMBLA_DOUBLE_CONVERSION_ARCHIVE})
if(NOT WIN32 AND NOT APPLE)
  # The archive's symbols stay inside the module: they neither export nor bind to another copy
  # (a host's Qt built against the shared library) loaded before it.
  target_link_options(trembla_double_conversion INTERFACE
    "LINKER:--exclude-libs,${CMAKE_STATIC_LIBRARY_PREFIX}double-conversion${CMAKE_STATIC_LIBRARY_SUFFIX}")
endif()
