# `cmake --install BUILD --prefix DIR` lays out a Maya module package in DIR:
#   DIR/trembla_tool.mod                   one entry per Maya version and platform installed there
#   DIR/trembla_tool/<platform>-maya<version>-py<XY>/trembla_tool<suffix>   the module of one build
#   DIR/install_trembla_tool.py            drop onto Maya's viewport: installs for this user
#   DIR/trembla_tool/uninstall_trembla_tool.py
# Builds for several Maya versions install into the same DIR; the .mod is rewritten from the
# folders present each time. Maya finds the package when DIR is on MAYA_MODULE_PATH.
#
# The release follows from the build's Qt and Python (TremblaMayaReleases.cmake). A build no Maya
# release runs, or one whose TREMBLA_MAYA_VERSION contradicts its pair, configures, builds and
# tests as any other; only the install step refuses it, as it refuses a module linking a shared
# library Maya does not ship (TremblaModuleLinks.cmake).
include(${CMAKE_CURRENT_LIST_DIR}/TremblaMayaReleases.cmake)
set(TREMBLA_MAYA_VERSION "" CACHE STRING
    "Maya release this build is for: 2019, 2020 or 2022 for Python 2.7; for Python 3 it follows from Qt and Python (a value given must agree)")
trembla_maya_release_of_build("${TREMBLA_QT}" "${Python_VERSION_MAJOR}.${Python_VERSION_MINOR}"
                              "${TREMBLA_MAYA_VERSION}" _trembla_maya _trembla_refusal)
if(_trembla_refusal)
  message(STATUS "Install step refuses this build: ${_trembla_refusal}")
  install(CODE "message(FATAL_ERROR \"${_trembla_refusal}\")")
  return()
endif()
message(STATUS "Install layout: the module folder of Maya ${_trembla_maya}")

if(WIN32)
  set(_trembla_platform win64)
elseif(APPLE)
  set(_trembla_platform mac)
else()
  set(_trembla_platform linux)
endif()
# Python 3 builds carry the interpreter tag in the file name (trembla_tool.cpython-37m-...so), which
# Python 2 does not load: Maya 2022's Python 3 and Python 2 builds can then share one .mod entry.
get_target_property(_trembla_suffix trembla_tool SUFFIX)
if(NOT _trembla_suffix)
  set(_trembla_suffix "${CMAKE_SHARED_MODULE_SUFFIX}")
endif()
if(Python_VERSION_MAJOR EQUAL 3 AND Python_SOABI)
  set(_trembla_suffix ".${Python_SOABI}${_trembla_suffix}")
endif()

if(NOT WIN32 AND NOT APPLE)  # ELF: objdump reads what the module links
  install(CODE "set(TREMBLA_MODULE_FILE \"$<TARGET_FILE:trembla_tool>\")
set(TREMBLA_OBJDUMP \"${CMAKE_OBJDUMP}\")
include(\"${PROJECT_SOURCE_DIR}/cmake/TremblaModuleLinks.cmake\")")
endif()
set(_trembla_folder "${_trembla_platform}-maya${_trembla_maya}-py${Python_VERSION_MAJOR}${Python_VERSION_MINOR}")
install(FILES $<TARGET_FILE:trembla_tool> DESTINATION trembla_tool/${_trembla_folder}
        RENAME trembla_tool${_trembla_suffix})
install(FILES package/install_trembla_tool.py DESTINATION .)
install(FILES package/uninstall_trembla_tool.py package/install_trembla_tool.py DESTINATION trembla_tool)
install(CODE "set(TREMBLA_PACKAGE_DIR \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
set(TREMBLA_VERSION \"${PROJECT_VERSION}\")
include(\"${PROJECT_SOURCE_DIR}/cmake/TremblaModFile.cmake\")")
