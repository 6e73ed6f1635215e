# Windows builds (mingw-w64): the plug-in DLL, the host simulator and the Wine tests.
enable_language(RC)

# Each build runs its programs under the Wine loader of its own width, in a prefix of that
# width: the x86 prefix is a 32-bit Windows (as the x86 driver's host is), not WoW64.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(MANIFEST_ARCH amd64)
  set(PE_MAGIC pe32+)
  set(WINE_LOADER /usr/lib/wine/wine64)
  set(WINE_ARCH win64)
else()
  set(MANIFEST_ARCH x86)
  set(PE_MAGIC pe32)
  set(WINE_LOADER /usr/lib/wine/wine)
  set(WINE_ARCH win32)
endif()

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

# Static C++ and gcc runtimes: the DLL and the programs import system DLLs only.
set(STATIC_RUNTIME -static -static-libgcc -static-libstdc++)

set(WINE_PREFIX_DIR ${CMAKE_BINARY_DIR}/wineprefix)
configure_file(${CMAKE_SOURCE_DIR}/tools/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh
               @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
               GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)

# --- The plug-in DLL ----------------------------------------------------------------------
set(PLUGIN_MANIFEST ${CMAKE_BINARY_DIR}/plugin.manifest)
configure_file(${CMAKE_SOURCE_DIR}/resources/plugin.manifest.in ${PLUGIN_MANIFEST} @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/resources/plugin.rc.in ${CMAKE_BINARY_DIR}/plugin.rc @ONLY)

# The adapters that the plug-in and the SNMP module share (registry, name resolution,
# profile files, system facts): the module links these, not the user-interface adapters.
add_library(platform_win32_base STATIC ${CMAKE_SOURCE_DIR}/src/platform/win32/system_ports.cpp
                                       ${CMAKE_SOURCE_DIR}/src/platform/win32/thread_runtime.cpp)
target_include_directories(platform_win32_base PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_compile_options(platform_win32_base PRIVATE ${PLUGIN_WARNINGS})
target_link_libraries(platform_win32_base PUBLIC advapi32 shlwapi ws2_32)

# The Win32 adapters, the dialog procedure and the edit filters: a library of their own, so
# that the Wine tests can drive the adapters in-process as well.
file(GLOB WIN32_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/win32/*.cpp)
list(REMOVE_ITEM WIN32_SOURCES ${CMAKE_SOURCE_DIR}/src/platform/win32/dll_main.cpp
     ${CMAKE_SOURCE_DIR}/src/platform/win32/system_ports.cpp
     ${CMAKE_SOURCE_DIR}/src/platform/win32/thread_runtime.cpp)
add_library(plugin_win32 STATIC ${WIN32_SOURCES})
target_compile_options(plugin_win32 PRIVATE ${PLUGIN_WARNINGS})
target_link_libraries(plugin_win32 PUBLIC plugin_core platform_win32_base shlwapi winspool
                                          comctl32 ws2_32)

add_library(plugin_dll SHARED
  ${CMAKE_SOURCE_DIR}/src/platform/win32/dll_main.cpp
  ${CMAKE_BINARY_DIR}/plugin.rc
  resources/plugin.def
)
set_target_properties(plugin_dll PROPERTIES OUTPUT_NAME "${PLUGIN_PREFIX}U" PREFIX ""
                      SUFFIX ".DLL")
target_compile_options(plugin_dll PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${PLUGIN_WARNINGS}>)
target_link_libraries(plugin_dll PRIVATE plugin_win32)
target_link_options(plugin_dll PRIVATE ${STATIC_RUNTIME} -s -Wl,--enable-stdcall-fixup)
set_property(SOURCE ${CMAKE_BINARY_DIR}/plugin.rc APPEND PROPERTY OBJECT_DEPENDS
             ${PLUGIN_MANIFEST} ${CMAKE_SOURCE_DIR}/resources/version.rc
             ${CMAKE_SOURCE_DIR}/resources/dialogs.rc ${CMAKE_SOURCE_DIR}/src/ui/dialog_ids.h)
# The dialog templates share their ids with the core through src/ui/dialog_ids.h.
set_property(SOURCE ${CMAKE_BINARY_DIR}/plugin.rc APPEND PROPERTY INCLUDE_DIRECTORIES
             ${CMAKE_SOURCE_DIR}/src)

# The same DLL reading profile files through the platform's functions instead of the cache,
# for the benchmark's comparison only (tools/bench.sh builds it): bin/platformreads/.
add_library(plugin_dll_platform_reads SHARED EXCLUDE_FROM_ALL
  ${CMAKE_SOURCE_DIR}/src/platform/win32/dll_main.cpp
  ${CMAKE_BINARY_DIR}/plugin.rc
  resources/plugin.def
)
set_target_properties(plugin_dll_platform_reads PROPERTIES
                      OUTPUT_NAME "${PLUGIN_PREFIX}U" PREFIX "" SUFFIX ".DLL"
                      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin/platformreads
                      LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin/platformreads)
target_compile_definitions(plugin_dll_platform_reads PRIVATE PLUGIN_PLATFORM_PROFILE_READS)
target_compile_options(plugin_dll_platform_reads PRIVATE
                       $<$<COMPILE_LANGUAGE:CXX>:${PLUGIN_WARNINGS}>)
target_link_libraries(plugin_dll_platform_reads PRIVATE plugin_win32)
target_link_options(plugin_dll_platform_reads PRIVATE ${STATIC_RUNTIME} -s
                    -Wl,--enable-stdcall-fixup)
# Its SNMP module beside it, as the shipped DLL has its own.
add_custom_command(TARGET plugin_dll_platform_reads POST_BUILD
                   COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:snmp_module>
                           ${CMAKE_BINARY_DIR}/bin/platformreads/)
add_dependencies(plugin_dll_platform_reads snmp_module)

add_test(NAME dll_exports_and_imports
         COMMAND ${CMAKE_SOURCE_DIR}/tests/pe/check-pe.sh ${CMAKE_OBJDUMP}
                 $<TARGET_FILE:plugin_dll> ${PE_MAGIC} "DllCanUnloadNow DllGetClassObject")

# --- The SNMP module <prefix>N.DLL, beside the plug-in ---------------------------------------
file(GLOB SNMP_WIN32_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/snmp/win32/*.cpp)
add_library(snmp_module SHARED ${SNMP_WIN32_SOURCES} resources/snmp_module.def)
set_target_properties(snmp_module PROPERTIES OUTPUT_NAME "${PLUGIN_PREFIX}N" PREFIX ""
                      SUFFIX ".DLL")
target_compile_options(snmp_module PRIVATE ${PLUGIN_WARNINGS})
target_link_libraries(snmp_module PRIVATE snmp_core platform_win32_base ws2_32)
target_link_options(snmp_module PRIVATE ${STATIC_RUNTIME} -s -Wl,--enable-stdcall-fixup)
add_dependencies(plugin_dll snmp_module)

add_test(NAME snmp_module_exports_and_imports
         COMMAND ${CMAKE_SOURCE_DIR}/tests/pe/check-pe.sh ${CMAKE_OBJDUMP}
                 $<TARGET_FILE:snmp_module> ${PE_MAGIC} "SNMP_AutoUpdate")

# --- The host simulator -------------------------------------------------------------------
file(GLOB HOST_SIM_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/host/*.cpp)
list(FILTER HOST_SIM_SOURCES EXCLUDE REGEX "_main\\.cpp$")
add_library(host_sim STATIC ${HOST_SIM_SOURCES})
target_include_directories(host_sim PUBLIC ${CMAKE_SOURCE_DIR}/host ${CMAKE_SOURCE_DIR}/src)
target_compile_options(host_sim PRIVATE ${PLUGIN_WARNINGS})
# Wine shows the Unix root as drive Z:, so the repository's models/ folder is reachable.
string(REPLACE "/" "\\\\" MODELS_FOLDER_WINE "Z:${CMAKE_SOURCE_DIR}/models")
target_compile_definitions(host_sim PUBLIC
                           PLUGIN_DLL_NAME=L"${PLUGIN_PREFIX}U.DLL"
                           MODELS_FOLDER=L"${MODELS_FOLDER_WINE}" UNICODE _UNICODE)
# mingw-w64 has an import library of compstui for x64 only; for x86 one is made from a .def.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(COMPSTUI_IMPORT ${CMAKE_BINARY_DIR}/libcompstui_x86.a)
  add_custom_command(OUTPUT ${COMPSTUI_IMPORT}
                     COMMAND ${CMAKE_DLLTOOL} --kill-at -d ${CMAKE_SOURCE_DIR}/host/compstui_x86.def
                             -l ${COMPSTUI_IMPORT}
                     DEPENDS ${CMAKE_SOURCE_DIR}/host/compstui_x86.def)
  add_custom_target(compstui_import DEPENDS ${COMPSTUI_IMPORT})
  add_dependencies(host_sim compstui_import)
  target_link_libraries(host_sim PUBLIC plugin_core winspool comctl32 gdi32 ${COMPSTUI_IMPORT})
else()
  target_link_libraries(host_sim PUBLIC plugin_core winspool comctl32 gdi32 compstui)
endif()

# The host simulator as the printer driver's configuration DLL (the installed printers'
# pConfigFile, beside the plug-in in the driver directory): the Drv* entry points that Wine's
# spooler and compstui call, reaching the plug-in the way the PostScript driver does.
add_library(host_config_dll SHARED host/host_config_main.cpp host/host_config.rc
                                   host/host_config.def)
set_target_properties(host_config_dll PROPERTIES OUTPUT_NAME "HOSTUI" PREFIX "" SUFFIX ".DLL")
target_compile_options(host_config_dll PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${PLUGIN_WARNINGS}>)
target_link_libraries(host_config_dll PRIVATE host_sim)
target_link_options(host_config_dll PRIVATE ${STATIC_RUNTIME} -s -Wl,--enable-stdcall-fixup)
set_property(SOURCE host/host_config.rc APPEND PROPERTY OBJECT_DEPENDS
             ${CMAKE_SOURCE_DIR}/host/host_page_ids.h)
add_dependencies(host_config_dll plugin_dll)

add_test(NAME host_config_exports_and_imports
         COMMAND ${CMAKE_SOURCE_DIR}/tests/pe/check-pe.sh ${CMAKE_OBJDUMP}
                 $<TARGET_FILE:host_config_dll> ${PE_MAGIC}
                 "DrvConvertDevMode DrvDeviceCapabilities DrvDevicePropertySheets DrvDocumentPropertySheets DrvDriverEvent")

add_executable(host_simulator host/host_main.cpp)
target_compile_options(host_simulator PRIVATE ${PLUGIN_WARNINGS})
target_link_libraries(host_simulator PRIVATE host_sim)
target_link_options(host_simulator PRIVATE ${STATIC_RUNTIME} -municode)
add_dependencies(host_simulator plugin_dll host_config_dll)

# The gallery: pictures of every dialog of every sample model and language (tools/demo.sh).
add_executable(gallery host/gallery_main.cpp)
target_compile_options(gallery PRIVATE ${PLUGIN_WARNINGS})
target_link_libraries(gallery PRIVATE host_sim)
target_link_options(gallery PRIVATE ${STATIC_RUNTIME} -municode)
add_dependencies(gallery plugin_dll)

# --- The Wine desktop holder (tools/wine-server.sh) ----------------------------------------
add_executable(wine_desktop tools/wine_desktop.cpp)
target_compile_options(wine_desktop PRIVATE ${PLUGIN_WARNINGS})
target_link_options(wine_desktop PRIVATE ${STATIC_RUNTIME})

# --- The model-file checker, for model authors on Windows ------------------------------------
# Defined with the core, before this file set bin/ and the Wine emulator. Under Wine it checks
# a sample profile through the Z: drive (exit status 0: clean).
set_target_properties(modelcheck PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin
                                            CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)
target_link_options(modelcheck PRIVATE ${STATIC_RUNTIME} -municode)
string(REPLACE "/" "\\" MODELCHECK_SAMPLE "Z:${CMAKE_SOURCE_DIR}/models/CVLC5u.INI")
add_test(NAME modelcheck_sample_under_wine COMMAND modelcheck ${MODELCHECK_SAMPLE} --json)
set_tests_properties(modelcheck_sample_under_wine PROPERTIES RESOURCE_LOCK wineprefix)

# --- Wine tests ---------------------------------------------------------------------------
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB WINE_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/wine/*.cpp)
# The adapters (edit filters, dialog procedure, help, raw jobs) are also tested in-process.
add_executable(wine_tests ${WINE_TEST_SOURCES})
target_compile_options(wine_tests PRIVATE ${PLUGIN_WARNINGS})
target_link_libraries(wine_tests PRIVATE host_sim plugin_win32 gtest gtest_main version advapi32
                      ole32 windowscodecs uuid)
# The profile differential test reads its files from the source tree (as Z:\...).
target_compile_definitions(wine_tests PRIVATE
                           PROFILE_TEST_DATA_DIR="${CMAKE_SOURCE_DIR}/tests/data/profiles"
                           PROFILE_TEST_MODELS_DIR="${CMAKE_SOURCE_DIR}/models")
target_link_options(wine_tests PRIVATE ${STATIC_RUNTIME})
add_dependencies(wine_tests plugin_dll host_config_dll)

# What the Wine tests capture lands in one folder of the build: the jobs the spooler writes
# for a port mapped to a file, and the web addresses handed to the browser, which under Wine
# is this script (HKCU\Software\Wine\WineBrowser "Browsers").
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/capture)
configure_file(${CMAKE_SOURCE_DIR}/tests/wine/capture_browser.sh
               ${CMAKE_BINARY_DIR}/capture/browser.sh COPYONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
               WORLD_READ WORLD_EXECUTE)
target_compile_definitions(wine_tests PRIVATE CAPTURE_DIR="${CMAKE_BINARY_DIR}/capture")

# Stand-ins for the HTML Help control, beside wine_tests.exe: fakehelp.dll has the help
# entry (ordinal 15) and records its calls; nohelp.dll lacks the entry.
foreach(stand_in fakehelp nohelp)
  add_library(${stand_in} SHARED tests/wine/fake_help/${stand_in}.cpp
                                 tests/wine/fake_help/${stand_in}.def)
  set_target_properties(${stand_in} PROPERTIES PREFIX "")
  target_compile_options(${stand_in} PRIVATE ${PLUGIN_WARNINGS})
  target_link_options(${stand_in} PRIVATE ${STATIC_RUNTIME} -Wl,--enable-stdcall-fixup)
  add_dependencies(wine_tests ${stand_in})
endforeach()

include(GoogleTest)
gtest_discover_tests(wine_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                     WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin
                     PROPERTIES RESOURCE_LOCK wineprefix)

# A stand-in SNMP module for the auto-configuration tests, with a copy of the plug-in beside
# it in bin/snmptest/: the plug-in finds its module as "<its own name without U.DLL>N.DLL".
add_library(snmp_stub SHARED tests/wine/snmp_stub/stub_module.cpp
                             tests/wine/snmp_stub/stub_module.def)
set_target_properties(snmp_stub PROPERTIES OUTPUT_NAME "${PLUGIN_PREFIX}N" PREFIX "" SUFFIX ".DLL"
                      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin/snmptest
                      LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin/snmptest)
target_compile_options(snmp_stub PRIVATE ${PLUGIN_WARNINGS})
target_link_options(snmp_stub PRIVATE ${STATIC_RUNTIME} -Wl,--enable-stdcall-fixup)
set(SNMPTEST_PLUGIN ${CMAKE_BINARY_DIR}/bin/snmptest/${PLUGIN_PREFIX}U.DLL)
add_custom_command(OUTPUT ${SNMPTEST_PLUGIN}
                   COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:plugin_dll> ${SNMPTEST_PLUGIN}
                   DEPENDS plugin_dll)
add_custom_target(snmptest_plugin DEPENDS ${SNMPTEST_PLUGIN})
add_dependencies(wine_tests snmp_stub snmptest_plugin)

# The shipped SNMP module against real agents: with-agents.sh starts net-snmp's snmpd as
# stand-in printers on free loopback ports around each test and stops them however it ends.
# The tests run in bin\, where the module lies beside the plug-in.
add_executable(snmp_wine_tests tests/wine/snmp/snmp_agent_test.cpp)
target_compile_options(snmp_wine_tests PRIVATE ${PLUGIN_WARNINGS})
target_link_libraries(snmp_wine_tests PRIVATE host_sim gtest gtest_main)
target_link_options(snmp_wine_tests PRIVATE ${STATIC_RUNTIME})
add_dependencies(snmp_wine_tests plugin_dll snmp_module host_config_dll)
set_target_properties(snmp_wine_tests PROPERTIES CROSSCOMPILING_EMULATOR
    "${CMAKE_SOURCE_DIR}/tests/wine/snmp/with-agents.sh;${CMAKE_BINARY_DIR}/wine-run.sh")
gtest_discover_tests(snmp_wine_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                     WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin
                     PROPERTIES RESOURCE_LOCK wineprefix)

# The road a user walks through the platform's own calls: DocumentPropertiesW,
# DeviceCapabilitiesW and AddPrinterDriverW on the installed samples reach the plug-in through
# Wine's spooler and HOSTUI.DLL; the printer properties ask snmpd (with-agents.sh) as the
# sample printer.
add_executable(spooler_road_tests tests/wine/spooler/spooler_road_test.cpp)
target_compile_options(spooler_road_tests PRIVATE ${PLUGIN_WARNINGS})
target_link_libraries(spooler_road_tests PRIVATE host_sim gtest gtest_main)
target_link_options(spooler_road_tests PRIVATE ${STATIC_RUNTIME})
add_dependencies(spooler_road_tests plugin_dll snmp_module host_config_dll)
set_target_properties(spooler_road_tests PROPERTIES CROSSCOMPILING_EMULATOR
    "${CMAKE_SOURCE_DIR}/tests/wine/snmp/with-agents.sh;${CMAKE_BINARY_DIR}/wine-run.sh")
gtest_discover_tests(spooler_road_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                     WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin
                     PROPERTIES RESOURCE_LOCK wineprefix)
