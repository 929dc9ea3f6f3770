# `cmake --install BUILD --prefix DIR` lays out a Maya module package in DIR:
#   DIR/trembla_tool.mod                   one entry per Maya version and platform installed there
#   DIR/trembla_tool/<platform>-maya<version>-py<XY>/trembla_tool<suffix>   the module of one build
#   DIR/install_trembla_tool.py            drop onto Maya's viewport: installs for this user
#   DIR/trembla_tool/uninstall_trembla_tool.py
# Builds for several Maya versions install into the same DIR; the .mod is rewritten from the
# folders present each time. Maya finds the package when DIR is on MAYA_MODULE_PATH.
set(TREMBLA_MAYA_VERSION "" CACHE STRING
    "Maya version this build is for (2019, 2020, 2022-2026); empty: guessed from the Python version")
set(_trembla_maya "${TREMBLA_MAYA_VERSION}")
if(_trembla_maya STREQUAL "")
  # Python 3 picks the release; Python 2.7 (2019, 2020, and 2022's -pythonver 2) must be named.
  set(_trembla_maya_by_python_3.7 2022)
  set(_trembla_maya_by_python_3.9 2023)
  set(_trembla_maya_by_python_3.10 2024)
  set(_trembla_maya_by_python_3.11 2025)
  set(_trembla_maya "${_trembla_maya_by_python_${Python_VERSION_MAJOR}.${Python_VERSION_MINOR}}")
  if(_trembla_maya)
    message(STATUS "Install layout for Maya ${_trembla_maya} (guessed from Python ${Python_VERSION}; set TREMBLA_MAYA_VERSION)")
  endif()
endif()
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

if(_trembla_maya STREQUAL "")
  install(CODE "message(FATAL_ERROR \"Set TREMBLA_MAYA_VERSION (Python ${Python_VERSION} fits several Maya releases)\")")
else()
  set(_trembla_folder "${_trembla_platform}-maya${_trembla_maya}-py${Python_VERSION_MAJOR}${Python_VERSION_MINOR}")
  install(FILES $<TARGET_FILE:trembla_tool> DESTINATION trembla_tool/${_trembla_folder}
          RENAME trembla_tool${_trembla_suffix})
  install(FILES package/install_trembla_tool.py DESTINATION .)
  install(FILES package/uninstall_trembla_tool.py package/install_trembla_tool.py DESTINATION trembla_tool)
  install(CODE "set(TREMBLA_PACKAGE_DIR \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
set(TREMBLA_VERSION \"${PROJECT_VERSION}\")
include(\"${PROJECT_SOURCE_DIR}/cmake/TremblaModFile.cmake\")")
endif()
