# Runs fc-scan on the built teletext font file and checks that it lists exactly the nine
# faces, in file order, as fixed-width bitmap faces 16 pixels high.
execute_process(
  COMMAND ${FC_SCAN} --format "%{index}:%{family}:%{pixelsize}:%{spacing}:%{fontformat}\n" ${FONT_FILE}
  OUTPUT_VARIABLE listing
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "fc-scan failed (${result}) on ${FONT_FILE}")
endif()
set(expected "")
set(index 0)
foreach(face EHPRESTEL DHPRESTEL LAPRESTEL PrestUK PrestD PrestF PrestI PrestE PrestS)
  string(APPEND expected "${index}:${face}:16:100:Windows FNT\n")
  math(EXPR index "${index} + 1")
endforeach()
if(NOT listing STREQUAL expected)
  message(FATAL_ERROR "fc-scan lists\n${listing}\nexpected\n${expected}")
endif()
