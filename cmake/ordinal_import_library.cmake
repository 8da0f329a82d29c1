# Makes an import library through which a program imports a DLL's functions by ordinal only, the
# way the suite's libraries bind to each other. The ordinals come from the DLL's .def file; the
# symbol each function has for a caller (Name@bytes for 32-bit stdcall) from the DLL's own symbol
# table.
# Usage: cmake -DLIBRARY=x.dll -DDEF_FILE=x.def -DNM=nm -DDLLTOOL=dlltool -DOUTPUT=x.a -P this
execute_process(COMMAND ${NM} ${LIBRARY} OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${NM} could not read ${LIBRARY}")
endif()
get_filename_component(dll_name ${LIBRARY} NAME)
set(definition "LIBRARY ${dll_name}\nEXPORTS\n")
set(kill_at "")
file(STRINGS ${DEF_FILE} lines)
set(in_exports OFF)
foreach(line IN LISTS lines)
  string(STRIP "${line}" line)
  if(line STREQUAL "EXPORTS")
    set(in_exports ON)
  elseif(in_exports AND line MATCHES "^([A-Za-z_][A-Za-z0-9_]*) +@([0-9]+)$")
    set(name ${CMAKE_MATCH_1})
    set(ordinal ${CMAKE_MATCH_2})
    if(symbols MATCHES " T _?${name}(@[0-9]+)\n")
      set(name "${name}${CMAKE_MATCH_1}")
      set(kill_at --kill-at)
    endif()
    string(APPEND definition "    ${name} @${ordinal} NONAME\n")
  endif()
endforeach()
set(def_out ${OUTPUT}.def)
file(WRITE ${def_out} "${definition}")
execute_process(COMMAND ${DLLTOOL} ${kill_at} --input-def ${def_out} --dllname ${dll_name}
                        --output-lib ${OUTPUT}
                RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${DLLTOOL} could not make ${OUTPUT}")
endif()
