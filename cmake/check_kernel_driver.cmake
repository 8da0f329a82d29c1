# A Windows kernel-mode driver image (.sys), read with objdump -p and nm:
#  - an x64 image of the native subsystem with a checksum, as the kernel loads drivers;
#  - every import comes from ntoskrnl.exe, HAL.dll or USBD.SYS: no user-mode DLL, no C or C++
#    run-time library;
#  - the entry point is DriverEntry;
#  - no static initialisers, which nothing would run in the kernel.
# Usage: cmake -DIMAGE=x.sys -DOBJDUMP=objdump -DNM=nm -P check_kernel_driver.cmake
cmake_policy(VERSION 3.25)
set(kernel_modules ntoskrnl.exe hal.dll usbd.sys)

execute_process(COMMAND ${OBJDUMP} -p ${IMAGE} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${OBJDUMP} could not read ${IMAGE}")
endif()
execute_process(COMMAND ${NM} ${IMAGE} OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${NM} could not read ${IMAGE}")
endif()

set(problems "")
if(NOT dump MATCHES "file format pei-x86-64")
  list(APPEND problems "not an x64 image")
endif()
if(NOT dump MATCHES "\nSubsystem\t+0*1\t\\(NT native\\)")
  list(APPEND problems "not of the native subsystem")
endif()
if(NOT dump MATCHES "\nCheckSum\t+0*[1-9a-f]")
  list(APPEND problems "no checksum")
endif()

string(REGEX MATCHALL "\tDLL Name: [^\n]+" imports "${dump}")
list(TRANSFORM imports REPLACE "\tDLL Name: " "")
if(NOT imports)
  list(APPEND problems "no imports at all")
endif()
foreach(module IN LISTS imports)
  string(TOLOWER "${module}" name)
  if(NOT name IN_LIST kernel_modules)
    list(APPEND problems "imports from ${module}, which is not a module of the kernel")
  endif()
endforeach()

string(REGEX MATCH "\nAddressOfEntryPoint\t+([0-9a-f]+)" found "${dump}")
set(entry_offset ${CMAKE_MATCH_1})
string(REGEX MATCH "\nImageBase\t+([0-9a-f]+)" found "${dump}")
set(image_base ${CMAKE_MATCH_1})
string(REGEX MATCH "(^|\n)([0-9a-f]+) T DriverEntry\n" found "${symbols}")
set(driver_entry ${CMAKE_MATCH_2})
if(NOT entry_offset OR NOT image_base OR NOT driver_entry)
  list(APPEND problems "no DriverEntry, or no entry point")
else()
  math(EXPR entry "0x${image_base} + 0x${entry_offset}")
  math(EXPR driver_entry "0x${driver_entry}")
  if(NOT entry EQUAL driver_entry)
    list(APPEND problems "the entry point is not DriverEntry")
  endif()
endif()

string(REGEX MATCHALL "[^ \n]*_GLOBAL__sub_I_[^\n]*" initialisers "${symbols}")
if(initialisers)
  list(APPEND problems "static initialisers: ${initialisers}")
endif()

if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "${IMAGE}:\n  ${text}")
endif()
list(JOIN imports ", " modules)
message(STATUS "${IMAGE}: native x64 driver entered at DriverEntry, imports from ${modules} only")
