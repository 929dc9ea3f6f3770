# TREMBLA_PORTABLE: a module that loads on hosts older than the build machine.
# - libstdc++ and libgcc linked in statically: the module needs no newer GLIBCXX than the host's
#   (the C++ runtime of the build compiler is inside the module, not the host's libstdc++.so).
# - Every symbol hidden but the init function (version script; static archives' symbols excluded),
#   so the runtime copied in cannot interpose on, or be interposed by, the host's libstdc++ or
#   another plug-in's.
# glibc is not linked statically: that floor comes from the build machine (build releases on the
# oldest OS a Maya runs on; README, "Release builds").

# The init function the interpreter looks for: PyInit_<name> on Python 3, init<name> on Python 2
# (src/pyhost/py_compat.h defines the one of the headers it is compiled with). Checked at configure
# time against that definition, so the export lists below can never name the other Python's.
if(Python_VERSION_MAJOR EQUAL 2)
  set(TREMBLA_INIT_SYMBOL inittrembla_tool)
else()
  set(TREMBLA_INIT_SYMBOL PyInit_trembla_tool)
endif()
include(CheckCXXSourceCompiles)
set(CMAKE_REQUIRED_INCLUDES ${Python_INCLUDE_DIRS} ${PROJECT_SOURCE_DIR}/src)
set(CMAKE_REQUIRED_QUIET ON)
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)  # compiled, not linked: no Python library needed
check_cxx_source_compiles("
#include \"pyhost/py_compat.h\"
TREMBLA_MODULE_INIT(trembla_tool) { return nullptr; }
void trembla_init_symbol_is_defined() { (void)&${TREMBLA_INIT_SYMBOL}; }"
  TREMBLA_INIT_SYMBOL_DEFINED_${TREMBLA_INIT_SYMBOL}_${Python_VERSION_MAJOR}_${Python_VERSION_MINOR})
unset(CMAKE_TRY_COMPILE_TARGET_TYPE)
unset(CMAKE_REQUIRED_QUIET)
unset(CMAKE_REQUIRED_INCLUDES)
if(NOT TREMBLA_INIT_SYMBOL_DEFINED_${TREMBLA_INIT_SYMBOL}_${Python_VERSION_MAJOR}_${Python_VERSION_MINOR})
  message(FATAL_ERROR "The module's init function for Python ${Python_VERSION} is not ${TREMBLA_INIT_SYMBOL} "
                      "(src/pyhost/py_compat.h and cmake/TremblaPortable.cmake disagree)")
endif()

if(NOT TREMBLA_PORTABLE)
  return()
endif()
if(MSVC)
  # The MSVC runtime (vcruntime/msvcp) is Maya's own; exports are already only the init function.
  return()
endif()
if(APPLE)
  target_link_options(trembla_tool PRIVATE -Wl,-exported_symbol,_${TREMBLA_INIT_SYMBOL})
  return()
endif()
target_link_options(trembla_tool PRIVATE
  -static-libstdc++ -static-libgcc
  -Wl,--exclude-libs,ALL
  -Wl,--version-script=${PROJECT_SOURCE_DIR}/cmake/trembla_tool.map
  -Wl,--as-needed)
set_property(TARGET trembla_tool APPEND PROPERTY LINK_DEPENDS ${PROJECT_SOURCE_DIR}/cmake/trembla_tool.map)
