# Install-time: refuses a module (ELF) that links a shared library Maya does not ship, which would
# fail to load there. Maya brings its Qt (Core, Gui, Widgets) and Python; the C and C++ runtimes
# come from the host system (their versions are scripts/check_binary.sh's business). Run by the
# install step with TREMBLA_MODULE_FILE and TREMBLA_OBJDUMP set, or alone:
#   cmake -DTREMBLA_MODULE_FILE=trembla_tool.so -DTREMBLA_OBJDUMP=objdump -P TremblaModuleLinks.cmake
if(NOT TREMBLA_OBJDUMP)
  message(WARNING "No objdump: the libraries ${TREMBLA_MODULE_FILE} links are not checked")
  return()
endif()
execute_process(COMMAND "${TREMBLA_OBJDUMP}" -p "${TREMBLA_MODULE_FILE}"
                OUTPUT_VARIABLE _dump RESULT_VARIABLE _status ERROR_VARIABLE _error)
if(NOT _status EQUAL 0)
  message(FATAL_ERROR "Cannot read ${TREMBLA_MODULE_FILE}: ${_error}")
endif()
string(REGEX MATCHALL "NEEDED +[^ \n]+" _needed "${_dump}")
set(_foreign "")
foreach(_entry IN LISTS _needed)
  string(REGEX REPLACE "^NEEDED +" "" _library "${_entry}")
  if(NOT _library MATCHES "^(ld-linux[^/]*|lib(c|m|dl|pthread|rt|util|gcc_s|stdc\\+\\+|python[0-9.]+[a-z]*|Qt[56](Core|Gui|Widgets))\\.so(\\.[0-9]+)*)$")
    list(APPEND _foreign "${_library}")
  endif()
endforeach()
if(_foreign)
  list(JOIN _foreign ", " _foreign)
  message(FATAL_ERROR "${TREMBLA_MODULE_FILE} links ${_foreign}, which Maya does not ship: link them statically "
                      "(double-conversion: cmake/TremblaDoubleConversion.cmake takes the static archive)")
endif()
