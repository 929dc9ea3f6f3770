# double-conversion: the preset file's shortest round-trip number text (src/presets/number_text.cpp).
# Debian: libdouble-conversion-dev. Elsewhere the studio supplies it (vcpkg/conan "double-conversion",
# or its CMake build installed under a prefix named in CMAKE_PREFIX_PATH or DOUBLE_CONVERSION_ROOT).
# The portable build prefers the static archive, so the module needs no libdouble-conversion on the
# host (Maya ships none; Qt keeps its own copy private).
find_path(TREMBLA_DOUBLE_CONVERSION_INCLUDE_DIR double-conversion/double-conversion.h
  HINTS ${DOUBLE_CONVERSION_ROOT} PATH_SUFFIXES include)
if(TREMBLA_PORTABLE AND NOT WIN32)
  set(_trembla_dc_names libdouble-conversion.a double-conversion)
else()
  set(_trembla_dc_names double-conversion)
endif()
find_library(TREMBLA_DOUBLE_CONVERSION_LIBRARY NAMES ${_trembla_dc_names}
  HINTS ${DOUBLE_CONVERSION_ROOT} PATH_SUFFIXES lib lib64)
if(NOT TREMBLA_DOUBLE_CONVERSION_INCLUDE_DIR OR NOT TREMBLA_DOUBLE_CONVERSION_LIBRARY)
  message(FATAL_ERROR "double-conversion not found (Debian: apt-get install libdouble-conversion-dev; "
                      "elsewhere set DOUBLE_CONVERSION_ROOT to its install prefix)")
endif()
add_library(trembla_double_conversion INTERFACE)
target_include_directories(trembla_double_conversion SYSTEM INTERFACE ${TREMBLA_DOUBLE_CONVERSION_INCLUDE_DIR})
target_link_libraries(trembla_double_conversion INTERFACE ${TREMBLA_DOUBLE_CONVERSION_LIBRARY})
