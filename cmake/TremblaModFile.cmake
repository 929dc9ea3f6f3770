# Install-time: writes TREMBLA_PACKAGE_DIR/trembla_tool.mod from the module folders present in
# TREMBLA_PACKAGE_DIR/trembla_tool (<platform>-maya<version>-py<XY>). Maya's module description
# syntax: "+ MAYAVERSION:<v> PLATFORM:<p> <name> <version> <path>" then "VAR+:=relative/path" lines
# (Autodesk Maya Developer Help, "Maya module paths, folders and versions" and "Sample module
# file"). In an entry with two Python folders (Maya 2022) Python 3's comes first on PYTHONPATH.
file(GLOB _folders RELATIVE "${TREMBLA_PACKAGE_DIR}/trembla_tool" "${TREMBLA_PACKAGE_DIR}/trembla_tool/*-maya*-py*")
set(_entries "")
foreach(_folder IN LISTS _folders)
  if(_folder MATCHES "^([a-z0-9]+)-maya([0-9]+)-py([0-9]+)$")
    list(APPEND _entries "${CMAKE_MATCH_2} ${CMAKE_MATCH_1}")
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
  file(GLOB _pythons RELATIVE "${TREMBLA_PACKAGE_DIR}/trembla_tool"
       "${TREMBLA_PACKAGE_DIR}/trembla_tool/${_platform}-maya${_maya}-py*")
  list(SORT _pythons ORDER DESCENDING)
  foreach(_python IN LISTS _pythons)
    string(APPEND _text "PYTHONPATH+:=${_python}\n")
  endforeach()
endforeach()
file(WRITE "${TREMBLA_PACKAGE_DIR}/trembla_tool.mod" "${_text}")
message(STATUS "Module description: ${TREMBLA_PACKAGE_DIR}/trembla_tool.mod")
