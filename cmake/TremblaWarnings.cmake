# Warnings on for our own targets; third-party headers come in as SYSTEM and stay quiet.
# TREMBLA_WERROR turns them into errors (scripts/test.sh does for its gcc legs), so a new warning
# fails the build instead of scrolling past; off by default, as a newer compiler may warn anew.
option(TREMBLA_WERROR "Treat compiler warnings in our own targets as errors" OFF)
function(trembla_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /permissive-)
    if(TREMBLA_WERROR)
      target_compile_options(${target} PRIVATE /WX)
    endif()
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
      -Wnon-virtual-dtor -Woverloaded-virtual -Wcast-align)
    if(TREMBLA_WERROR)
      target_compile_options(${target} PRIVATE -Werror)
    endif()
  endif()
endfunction()

# The shake results must match the reference arithmetic to the last bit: no fused multiply-add.
function(trembla_exact_float target)
  if(NOT MSVC)
    target_compile_options(${target} PRIVATE -ffp-contract=off -fno-fast-math)
  else()
    target_compile_options(${target} PRIVATE /fp:precise)
  endif()
endfunction()

if(TREMBLA_SANITIZE AND NOT MSVC)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
