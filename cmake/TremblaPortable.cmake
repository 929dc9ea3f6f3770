# TREMBLA_PORTABLE: a module that loads on hosts older than the build machine.
# - libstdc++ and libgcc linked in statically: the module needs no newer GLIBCXX than the host's
#   (the C++ runtime of the build compiler is inside the module, not the host's libstdc++.so).
# - Every symbol hidden but the init function (version script; static archives' symbols excluded),
#   so the runtime copied in cannot interpose on, or be interposed by, the host's libstdc++ or
#   another plug-in's.
# glibc is not linked statically: that floor comes from the build machine (build releases on the
# oldest OS a Maya runs on; README, "Release builds").
if(NOT TREMBLA_PORTABLE)
  return()
endif()
if(MSVC)
  # The MSVC runtime (vcruntime/msvcp) is Maya's own; exports are already only the init function.
  return()
endif()
if(APPLE)
  target_link_options(trembla_tool PRIVATE -Wl,-exported_symbol,_PyInit_trembla_tool)
  return()
endif()
target_link_options(trembla_tool PRIVATE
  -static-libstdc++ -static-libgcc
  -Wl,--exclude-libs,ALL
  -Wl,--version-script=${PROJECT_SOURCE_DIR}/cmake/trembla_tool.map
  -Wl,--as-needed)
set_property(TARGET trembla_tool APPEND PROPERTY LINK_DEPENDS ${PROJECT_SOURCE_DIR}/cmake/trembla_tool.map)
