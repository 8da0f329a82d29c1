# Writes a help2man include file: for each entry of SECTIONS ("TITLE|ARGUMENT...", entries
# separated by "^"), a section
# TITLE holding, as preformatted text, what PROGRAM prints when run with those arguments.
# cmake -DPROGRAM=... -DSECTIONS=... -DOUTPUT=... -P help_sections.cmake

set(text "")
string(REPLACE "^" ";" SECTIONS "${SECTIONS}")
foreach(section IN LISTS SECTIONS)
  string(REPLACE "|" ";" words "${section}")
  list(POP_FRONT words title)
  execute_process(COMMAND ${PROGRAM} ${words} OUTPUT_VARIABLE help RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} ${words} failed: ${status}")
  endif()
  # roff: a backslash is written \e, and a line must not begin with a control character.
  string(REPLACE "\\" "\\e" help "${help}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
  string(APPEND text "[${title}]\n.nf\n${help}.fi\n")
endforeach()
file(WRITE ${OUTPUT} "${text}")
