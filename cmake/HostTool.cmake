# Generators that run at build time. In a cross build they are compiled for the build machine
# with its own C++ compiler; in a native build they are ordinary targets of this build.
function(add_host_tool name)
  set(sources ${ARGN})
  list(TRANSFORM sources PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
  if(CMAKE_CROSSCOMPILING)
    find_program(VANTREL_HOST_CXX NAMES c++ g++ clang++ REQUIRED)
    set(exe ${CMAKE_CURRENT_BINARY_DIR}/${name}-host)
    add_custom_command(OUTPUT ${exe}
      COMMAND ${VANTREL_HOST_CXX} -std=c++20 -O2 -Wall -Wextra -Werror -o ${exe} ${sources}
      DEPENDS ${sources}
      COMMENT "Building host tool ${name}")
    add_custom_target(${name} DEPENDS ${exe})
    set(${name}_EXE ${exe} PARENT_SCOPE)
  else()
    add_executable(${name} ${sources})
    set(${name}_EXE $<TARGET_FILE:${name}> PARENT_SCOPE)
  endif()
endfunction()
