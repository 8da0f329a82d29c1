# Platform helpers outside the registry: process architecture, environment strings, the system
# folder, file search, path existence, the running program's file and shared libraries loaded at
# run time.
target_sources(ZoSystem PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/environment_strings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_search.cpp
  ${CMAKE_CURRENT_LIST_DIR}/path_exists.cpp
  ${CMAKE_CURRENT_LIST_DIR}/process_architecture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/program_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shared_library.cpp
  ${CMAKE_CURRENT_LIST_DIR}/system_folder.cpp
)

add_executable(system_services_test ${CMAKE_CURRENT_LIST_DIR}/tests/system_services_test.cpp)
target_link_libraries(system_services_test PRIVATE ZoSystem GTest::gtest_main)
gtest_discover_tests(system_services_test)
