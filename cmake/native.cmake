# Native build: the core's unit tests with in-memory fakes, under the sanitizers.
find_package(GTest REQUIRED)
include(GoogleTest)

file(GLOB UNIT_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(unit_tests ${UNIT_TEST_SOURCES})
target_include_directories(unit_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_compile_options(unit_tests PRIVATE ${PLUGIN_WARNINGS})
target_link_libraries(unit_tests PRIVATE plugin_core snmp_core modelcheck_core GTest::gtest
                                         GTest::gtest_main)
# The model checker's tests check copies of the sample family.
target_compile_definitions(unit_tests PRIVATE MODELS_DIR="${CMAKE_SOURCE_DIR}/models")
gtest_discover_tests(unit_tests DISCOVERY_MODE PRE_TEST)

# The checker as a model author runs it: the sample family checks clean.
foreach(model CVLC5 CVLM2)
  add_test(NAME modelcheck_sample_${model}
           COMMAND modelcheck ${CMAKE_SOURCE_DIR}/models/${model}u.INI)
endforeach()

# The driver package check: an INF reader and the checks (unit-tested above), and the program
# that checks the package folder "make package" assembles in build/package.
add_library(package_check_lib STATIC ${CMAKE_SOURCE_DIR}/tools/package_check/inf_file.cpp
                                     ${CMAKE_SOURCE_DIR}/tools/package_check/package_check.cpp)
target_include_directories(package_check_lib PUBLIC ${CMAKE_SOURCE_DIR}/tools/package_check)
target_compile_options(package_check_lib PRIVATE ${PLUGIN_WARNINGS})
target_link_libraries(unit_tests PRIVATE package_check_lib)
add_executable(package_check ${CMAKE_SOURCE_DIR}/tools/package_check/main.cpp)
target_compile_options(package_check PRIVATE ${PLUGIN_WARNINGS})
target_link_libraries(package_check PRIVATE package_check_lib)
# What the package must hold for both architectures: every model installs the plug-in and
# the SNMP module (each built into build/windows-ARCH/bin), and every file of models/ is
# installed with its model. The INF names the rest.
add_test(NAME driver_package
         COMMAND package_check --inf ${PLUGIN_PREFIX}.INF --arch NTx86 --arch NTamd64
                 --family ${PLUGIN_PREFIX}U.DLL --family ${PLUGIN_PREFIX}N.DLL
                 --models ${CMAKE_SOURCE_DIR}/models ${CMAKE_SOURCE_DIR}/build/package)

find_program(CLANG_FORMAT clang-format)
if(CLANG_FORMAT)
  add_test(NAME clang_format_clean
           COMMAND ${CMAKE_SOURCE_DIR}/tools/check-format.sh ${CLANG_FORMAT}
           WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
endif()

# A benchmark of the DevMode operations with the counting fakes; a program, not a test.
add_executable(devmode_bench ${CMAKE_SOURCE_DIR}/tests/bench/devmode_bench.cpp)
target_include_directories(devmode_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_compile_options(devmode_bench PRIVATE ${PLUGIN_WARNINGS})
target_link_libraries(devmode_bench PRIVATE plugin_core)
