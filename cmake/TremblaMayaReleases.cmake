# Which Maya releases load a module built for one (Qt major, Python X.Y) pair. Each release runs one
# Qt and one Python 3 (README, "Building for Maya"), so for Python 3 the pair names the releases;
# Maya 2025 and 2026 both run Qt 6.5 with Python 3.11 and load the same build. Python 2.7 runs in
# 2019, 2020 and 2022 (-pythonver 2), all Qt 5, which the build cannot tell apart: it is named.
# Read by the install step (TremblaInstall.cmake) and the module-file script (TremblaModFile.cmake).
# Only the install step refuses a build no release runs: it configures, builds and tests as any other.
cmake_policy(VERSION 3.18)  # also when a script (cmake -P, the install step) includes it
set(TREMBLA_MAYA_PAIRS   # "<Qt major> <Python X.Y> <releases...>"
  "5 3.7 2022"
  "5 3.9 2023"
  "5 3.10 2024"
  "6 3.11 2025 2026")
set(TREMBLA_MAYA_PY27_RELEASES 2019 2020 2022)

# The releases of one pair, or nothing when no release runs it.
function(trembla_maya_releases qt python out)
  set(found "")
  foreach(row IN LISTS TREMBLA_MAYA_PAIRS)
    string(REPLACE " " ";" row "${row}")
    list(POP_FRONT row row_qt row_python)
    if(row_qt STREQUAL "${qt}" AND row_python STREQUAL "${python}")
      set(found ${row})
    endif()
  endforeach()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# The releases that load the folder "<platform>-maya<release>-py<digits>": a Python 3 folder is
# named after the first release of its pair and serves them all; any other serves its own.
function(trembla_maya_releases_of_folder release digits out)
  set(found ${release})
  foreach(row IN LISTS TREMBLA_MAYA_PAIRS)
    string(REPLACE " " ";" row "${row}")
    list(POP_FRONT row row_qt row_python)
    string(REPLACE "." "" row_digits "${row_python}")
    list(GET row 0 first)
    if(row_digits STREQUAL "${digits}" AND first STREQUAL "${release}")
      set(found ${row})
    endif()
  endforeach()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# "2022: Qt 5 + Python 3.7, ..." for messages.
function(trembla_maya_pairs_text out)
  set(parts "")
  foreach(row IN LISTS TREMBLA_MAYA_PAIRS)
    string(REPLACE " " ";" row "${row}")
    list(POP_FRONT row row_qt row_python)
    list(JOIN row " and " releases)
    list(APPEND parts "${releases}: Qt ${row_qt} + Python ${row_python}")
  endforeach()
  list(JOIN TREMBLA_MAYA_PY27_RELEASES ", " py27)
  list(APPEND parts "${py27}: Qt 5 + Python 2.7, named by TREMBLA_MAYA_VERSION")
  list(JOIN parts "; " text)
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The release a build for Qt <qt> and Python <python> (X.Y) installs as, given TREMBLA_MAYA_VERSION
# <named> (may be empty): its folder is named after <out_release>, the first release of the pair.
# <out_refusal> is set instead when no release runs that build or <named> contradicts the pair.
function(trembla_maya_release_of_build qt python named out_release out_refusal)
  set(release "")
  set(refusal "")
  trembla_maya_pairs_text(pairs)
  list(JOIN TREMBLA_MAYA_PY27_RELEASES ", " py27)
  if(python STREQUAL "2.7")
    if(named STREQUAL "")
      set(refusal "Set TREMBLA_MAYA_VERSION to ${py27}: a Python 2.7 build (Qt 5) may be for each")
    elseif(qt STREQUAL "5" AND named IN_LIST TREMBLA_MAYA_PY27_RELEASES)
      set(release "${named}")
    else()
      set(refusal "TREMBLA_MAYA_VERSION=${named} contradicts this build: Maya ${py27} run Python 2.7, with Qt 5")
    endif()
  else()
    trembla_maya_releases("${qt}" "${python}" releases)
    list(JOIN releases " and " releases_text)
    if(NOT releases)
      string(CONCAT refusal "No Maya release runs Qt ${qt} with Python ${python}, and TREMBLA_MAYA_VERSION "
                            "cannot make it one: build with the Qt and Python of the release (${pairs})")
    elseif(NOT named STREQUAL "" AND NOT named IN_LIST releases)
      string(CONCAT refusal "TREMBLA_MAYA_VERSION=${named} contradicts this build: Qt ${qt} with Python "
                            "${python} is Maya ${releases_text}")
    else()
      list(GET releases 0 release)
    endif()
  endif()
  set(${out_release} "${release}" PARENT_SCOPE)
  set(${out_refusal} "${refusal}" PARENT_SCOPE)
endfunction()
