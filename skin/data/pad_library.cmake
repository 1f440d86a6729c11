# Pads the built skinning library with zeros to exactly the size the program's constant data
# gives it, and fails when the library is bigger than that.
#   cmake -DLIBRARY=... -DOUTPUT=... -DLIMIT=... -DOBJCOPY=... -P pad_library.cmake
cmake_minimum_required(VERSION 3.25)
file(SIZE "${LIBRARY}" size)
if(size GREATER LIMIT)
  message(FATAL_ERROR "${LIBRARY} is ${size} bytes, more than the ${LIMIT} the program carries")
endif()
# CMake cannot write a zero byte itself; objcopy pads a raw binary with zeros.
execute_process(COMMAND "${OBJCOPY}" -I binary -O binary --pad-to=${LIMIT} "${LIBRARY}" "${OUTPUT}"
                RESULT_VARIABLE failed)
file(SIZE "${OUTPUT}" padded)
if(failed OR NOT padded EQUAL LIMIT)
  file(REMOVE "${OUTPUT}")
  message(FATAL_ERROR "padding ${LIBRARY} to ${LIMIT} bytes failed")
endif()
