# zo_exports_from_def(TARGET DEF_FILE): a shared library exports exactly the names of its Windows
# module-definition file, and nothing else.
#  - Linux: a linker version script made from the names after EXPORTS (ordinals and options are
#    ignored), so the Linux build offers the same interface as the Windows one.
#  - Windows: the .def file itself, so names and ordinals are those of the file. 32-bit exports are
#    stdcall functions whose undecorated .def names the linker binds to the decorated symbols
#    (Name@bytes). After the link an import library that binds by ordinal is made beside the DLL
#    (zo_link_by_ordinal).
function(zo_exports_from_def target def_file)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${def_file}")
  if(WIN32)
    zo_windows_exports_from_def(${target} ${def_file})
    return()
  endif()
  file(STRINGS "${def_file}" lines)
  set(in_exports FALSE)
  set(names "")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE ";.*$" "" line "${line}")
    string(STRIP "${line}" line)
    if(line STREQUAL "")
      continue()
    elseif(line STREQUAL "EXPORTS")
      set(in_exports TRUE)
    elseif(in_exports)
      string(REGEX MATCH "^[A-Za-z_][A-Za-z0-9_]*" name "${line}")
      string(APPEND names "    ${name};\n")
    endif()
  endforeach()
  set(script "${CMAKE_CURRENT_BINARY_DIR}/${target}.exports")
  file(WRITE "${script}" "{\n  global:\n${names}  local: *;\n};\n")
  target_link_options(${target} PRIVATE "-Wl,--version-script=${script}")
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS "${script}")
endfunction()

# zo_link_by_ordinal(CONSUMER PROVIDER): CONSUMER imports PROVIDER's functions by ordinal on
# Windows, as the suite's libraries bind to each other; elsewhere it links PROVIDER by name.
function(zo_link_by_ordinal consumer provider)
  if(WIN32)
    add_dependencies(${consumer} ${provider})
    target_link_libraries(${consumer} PRIVATE
      "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${provider}-by-ordinal.a")
  else()
    target_link_libraries(${consumer} PRIVATE ${provider})
  endif()
endfunction()

function(zo_windows_exports_from_def target def_file)
  target_sources(${target} PRIVATE ${def_file})
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    target_link_options(${target} PRIVATE -Wl,--enable-stdcall-fixup)
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DLIBRARY=$<TARGET_FILE:${target}> -DDEF_FILE=${def_file}
            -DNM=${CMAKE_NM} -DDLLTOOL=${ZO_DLLTOOL}
            -DOUTPUT=${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${target}-by-ordinal.a
            -P ${PROJECT_SOURCE_DIR}/cmake/ordinal_import_library.cmake
    BYPRODUCTS ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${target}-by-ordinal.a
    VERBATIM)
endfunction()
