cmake_minimum_required(VERSION 3.25)
# The commands run on servers without a desktop: the tavrel executable must load no Qt library,
# neither by its own dynamic section nor through a library it loads. WINDOW, when given, is the
# window's program, which must show Qt in the same reading: a check that could no longer see Qt
# would otherwise pass for ever.
#   cmake -DPROGRAM=path/tavrel [-DWINDOW=path/tavrel-window] -P check_program_links.cmake
function(read_needed program out)
  execute_process(COMMAND readelf --dynamic --wide ${program}
                  OUTPUT_VARIABLE dynamic RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "readelf --dynamic ${program} failed (${status})")
  endif()
  string(REGEX MATCHALL "\\(NEEDED\\)[^\n]*\\[[^]\n]*\\]" needed "${dynamic}")
  set(${out} "${needed}" PARENT_SCOPE)
endfunction()

read_needed(${PROGRAM} needed)
if(NOT needed MATCHES "libc\\.so")
  message(FATAL_ERROR "${PROGRAM} lists no libc among its needed libraries: ${needed}")
endif()
if(needed MATCHES "libQt")
  message(FATAL_ERROR "${PROGRAM} needs Qt: ${needed}")
endif()
execute_process(COMMAND ldd ${PROGRAM} OUTPUT_VARIABLE loaded RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "ldd ${PROGRAM} failed (${status})")
endif()
if(loaded MATCHES "libQt")
  message(FATAL_ERROR "${PROGRAM} loads Qt through another library:\n${loaded}")
endif()
string(REGEX MATCHALL "\n" lines "${loaded}")
list(LENGTH lines count)
message(STATUS "${PROGRAM} loads about ${count} shared libraries, none of them Qt")

if(WINDOW)
  read_needed(${WINDOW} window_needed)
  if(NOT window_needed MATCHES "libQt6Widgets")
    message(FATAL_ERROR "${WINDOW} shows no Qt in its needed libraries: ${window_needed}")
  endif()
endif()
