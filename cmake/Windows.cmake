# The Windows build: the mingw-w64 cross compilers (cmake/toolchain-windows-*.cmake) make the
# suite's DLLs and programs; the tests run under Wine.
#
# Every DLL and program carries the C and C++ run-time libraries and the thread library inside
# itself, so the suite needs nothing beyond the system's own DLLs. Libraries keep their Windows
# names (QuintelDrv.dll, not libQuintelDrv.dll).
set(CMAKE_SHARED_LIBRARY_PREFIX "")
set(CMAKE_IMPORT_LIBRARY_PREFIX "")
add_compile_definitions(_WIN32_WINNT=0x0601 WIN32_LEAN_AND_MEAN NOMINMAX)
add_link_options(-static)
find_program(ZO_DLLTOOL ${ZO_MINGW_TRIPLE}-dlltool REQUIRED)

# zo_export_everything(TARGET): a DLL of the simulated machine exports every function and object
# of its own, as a Linux shared object does, but nothing of the static libraries linked into it
# (run-time libraries, ZoPlatform, ZoHost), which each program carries itself.
function(zo_export_everything target)
  target_link_options(${target} PRIVATE -Wl,--export-all-symbols
    -Wl,--exclude-libs,libgcc.a:libgcc_eh.a:libstdc++.a:libpthread.a:libwinpthread.a:ZoPlatform.a:ZoHost.a)
endfunction()

# GoogleTest built from the source Debian ships (package googletest) with the cross compiler,
# without the project's warning options.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
set_target_properties(gtest gtest_main gmock gmock_main PROPERTIES COMPILE_OPTIONS "")
include(GoogleTest)

# Wine: the 64-bit loader for the x64 build, the 32-bit one for the x86 build. A machine whose
# kernel cannot run 32-bit programs has Wine's 32-bit loader installed but cannot use it; the
# build then has no tests.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(wine_loader_name wine64)
else()
  set(wine_loader_name wine)
endif()
find_program(ZO_WINE_LOADER ${wine_loader_name} PATHS /usr/lib/wine NO_DEFAULT_PATH)
set(ZO_WINE_RUNS OFF)
if(ZO_WINE_LOADER)
  execute_process(COMMAND ${ZO_WINE_LOADER} --version RESULT_VARIABLE failed
                  OUTPUT_QUIET ERROR_QUIET)
  if(NOT failed)
    set(ZO_WINE_RUNS ON)
  endif()
endif()
if(ZO_WINE_RUNS)
  set(ZO_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      ${PROJECT_SOURCE_DIR}/cmake/wine_run.sh ${ZO_WINE_PREFIX} ${ZO_WINE_LOADER})
  # One Wine prefix per test run, made before the first test and removed after the last.
  add_test(NAME wine.prefix.start
           COMMAND ${PROJECT_SOURCE_DIR}/cmake/wine_prefix.sh start ${ZO_WINE_PREFIX} ${ZO_WINE_LOADER})
  add_test(NAME wine.prefix.stop
           COMMAND ${PROJECT_SOURCE_DIR}/cmake/wine_prefix.sh stop ${ZO_WINE_PREFIX} ${ZO_WINE_LOADER})
  set_tests_properties(wine.prefix.start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
  set_tests_properties(wine.prefix.stop PROPERTIES FIXTURES_CLEANUP wine)
else()
  message(STATUS "Wine cannot run ${CMAKE_SYSTEM_PROCESSOR} programs here: no tests")
endif()

# The test programs that run under Wine. The others test the kernel stand-in and the driver on
# their own, or start processes the POSIX way; they belong to the Linux build.
set(ZO_WINE_TEST_PROGRAMS hub_tests labview_device_tests program_compiler_tests quinteldrv_tests
    setup_aid_test win32_services_test)

# Under Wine each test program runs once, as a whole: a Wine process per test case would cost
# more than the test. Properties given for the discovered tests apply to the program's test.
function(gtest_discover_tests target)
  if(NOT ZO_WINE_RUNS OR NOT target IN_LIST ZO_WINE_TEST_PROGRAMS)
    return()
  endif()
  cmake_parse_arguments(PARSE_ARGV 1 discovery "" "" "PROPERTIES")
  add_test(NAME ${target} COMMAND ${target})
  zo_test_runs_under_wine(${target})
  if(discovery_PROPERTIES)
    set_tests_properties(${target} PROPERTIES ${discovery_PROPERTIES})
  endif()
endfunction()

# A test that runs a program of the build under Wine, in the test run's prefix.
function(zo_test_runs_under_wine test)
  if(ZO_WINE_RUNS)
    set_tests_properties(${test} PROPERTIES FIXTURES_REQUIRED wine)
  endif()
endfunction()

# The VERSIONINFO resource of a DLL or program: the project's version, which QnGetVersion reads
# back from the installed QuintelDrv.dll.
function(zo_version_resource target description)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    set(ZO_FILE_NAME ${target}.exe)
    set(ZO_FILE_TYPE VFT_APP)
  else()
    set(ZO_FILE_NAME ${target}.dll)
    set(ZO_FILE_TYPE VFT_DLL)
  endif()
  set(ZO_FILE_DESCRIPTION "${description}")
  set(ZO_INTERNAL_NAME ${target})
  set(resource ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${resource} @ONLY)
  target_sources(${target} PRIVATE ${resource})
endfunction()
