cmake_minimum_required(VERSION 3.25)
# The core must stay free of Qt so that the headless service runs on a bare server. The build
# writes every library the core links, directly or through another, to LINKS_FILE; this check
# fails when one of them is Qt, and when the list lacks the core's own layers (a list that
# went stale would otherwise pass for ever).
file(STRINGS "${LINKS_FILE}" links)
foreach(layer tavrel_support tavrel_page tavrel_render tavrel_transfer tavrel_pipeline)
  if(NOT layer IN_LIST links)
    message(FATAL_ERROR "${LINKS_FILE} does not list ${layer}: ${links}")
  endif()
endforeach()
foreach(link IN LISTS links)
  if(link MATCHES "^Qt|Qt[0-9]*::|libQt")
    message(FATAL_ERROR "the core links ${link}; Qt belongs to src/gui only")
  endif()
endforeach()
list(LENGTH links count)
message(STATUS "the core links ${count} libraries, none of them Qt")
