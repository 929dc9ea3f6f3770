# Install-time: writes TREMBLA_PACKAGE_DIR/trembla_tool.mod from the module folders present in
# TREMBLA_PACKAGE_DIR/trembla_tool (<platform>-maya<version>-py<XY>). Maya's module description
# syntax: "+ MAYAVERSION:<v> PLATFORM:<p> <name> <version> <path>" then "VAR+:=relative/path" lines
# (Autodesk Maya Developer Help, "Maya module paths, folders and versions" and "Sample module
# file"). In an entry with two Python folders (Maya 2022) Python 3's comes first on PYTHONPATH.
# A folder serves every release of its (Qt, Python) pair (TremblaMayaReleases.cmake): the 2025
# folder of Qt 6 + Python 3.11 gets a 2025 and a 2026 entry, since a MAYAVERSION entry is read
# only by that release.
include(${CMAKE_CURRENT_LIST_DIR}/TremblaMayaReleases.cmake)
file(GLOB _folders RELATIVE "${TREMBLA_PACKAGE_DIR}/trembla_tool" "${TREMBLA_PACKAGE_DIR}/trembla_tool/*-maya*-py*")
set(_entries "")
foreach(_folder IN LISTS _folders)
  if(_folder MATCHES "^([a-z0-9]+)-maya([0-9]+)-py([0-9]+)$")
    set(_platform "${CMAKE_MATCH_1}")
    trembla_maya_releases_of_folder("${CMAKE_MATCH_2}" "${CMAKE_MATCH_3}" _releases)
    foreach(_maya IN LISTS _releases)
      list(APPEND _entries "${_maya} ${_platform}")
      list(APPEND _folders_${_maya}_${_platform} "${_folder}")
    endforeach()
  endif()
endforeach()
list(REMOVE_DUPLICATES _entries)
list(SORT _entries)
set(_text "")
foreach(_entry IN LISTS _entries)
  string(REPLACE " " ";" _parts "${_entry}")
  list(GET _parts 0 _maya)
  list(GET _parts 1 _platform)
  string(APPEND _text "+ MAYAVERSION:${_maya} PLATFORM:${_platform} trembla_tool ${TREMBLA_VERSION} trembla_tool\n")
  set(_pythons ${_folders_${_maya}_${_platform}})
  list(SORT _pythons ORDER DESCENDING)
  foreach(_python IN LISTS _pythons)
    string(APPEND _text "PYTHONPATH+:=${_python}\n")
  endforeach()
endforeach()
file(WRITE "${TREMBLA_PACKAGE_DIR}/trembla_tool.mod" "${_text}")
message(STATUS "Module description: ${TREMBLA_PACKAGE_DIR}/trembla_tool.mod")
