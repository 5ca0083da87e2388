# The Windows build: quenlox.exe, the in-process Win32 tests and the end-to-end driver.

set(QUENLOX_COMPAT_DIR "${CMAKE_SOURCE_DIR}/../shared/compat" CACHE PATH
    "Export lists of the older Windows systems, read by the import check")

set(QUENLOX_WIN32_LIBS user32 gdi32 shell32 advapi32 kernel32)
# One self-contained executable: no runtime DLL of its own.
set(QUENLOX_STATIC_LINK -static -static-libgcc -static-libstdc++)

set(QUENLOX_WIN32_SOURCES
  app/form1_win32.cpp
  ordering/Uord1_win32.cpp
  platform/system_win32.cpp
  platform/tray_win32.cpp
  platform/dialogs_win32.cpp
  platform/files_win32.cpp
  platform/optional_calls_win32.cpp
  platform/registry_win32.cpp
  platform/shell_win32.cpp
  platform/window_binding_win32.cpp)
add_library(quenlox_win32 STATIC ${QUENLOX_WIN32_SOURCES})
target_link_libraries(quenlox_win32 PUBLIC quenlox_core ${QUENLOX_WIN32_LIBS})
target_compile_definitions(quenlox_win32 PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX)

set(QUENLOX_RC ${CMAKE_SOURCE_DIR}/resources/quenlox.rc)
set_source_files_properties(${QUENLOX_RC} PROPERTIES
  OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/resources/quenlox.ico;${CMAKE_SOURCE_DIR}/resources/resource_ids.h;${CMAKE_SOURCE_DIR}/resources/version.rci;${CMAKE_BINARY_DIR}/generated/quenlox.manifest")

add_executable(quenlox WIN32 app/main.cpp app/terminate_handler.cpp ${QUENLOX_RC})
target_link_libraries(quenlox PRIVATE quenlox_win32)
target_link_options(quenlox PRIVATE ${QUENLOX_STATIC_LINK} -s -Wl,--gc-sections)
target_compile_options(quenlox_core PRIVATE -ffunction-sections -fdata-sections)

# The uninstaller's helper: the program's own unblock code, no window.
add_executable(quenlox-unblock WIN32 app/unblock_main.cpp app/terminate_handler.cpp
  ${CMAKE_SOURCE_DIR}/resources/unblock.rc)
target_link_libraries(quenlox-unblock PRIVATE quenlox_win32)
target_link_options(quenlox-unblock PRIVATE ${QUENLOX_STATIC_LINK} -s -Wl,--gc-sections)

# The pages and notices are installed beside the executable.
set(QUENLOX_BESIDE_EXE
  ${CMAKE_SOURCE_DIR}/resources/index.html
  ${CMAKE_SOURCE_DIR}/resources/download.html
  ${CMAKE_SOURCE_DIR}/resources/THIRD-PARTY-NOTICES.txt)
add_custom_command(TARGET quenlox POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${QUENLOX_BESIDE_EXE} $<TARGET_FILE_DIR:quenlox>)

# The installer, built with every Windows build. It is given the product's names from
# resources/product.h, where the program takes them too.
find_program(MAKENSIS makensis REQUIRED)
file(STRINGS ${CMAKE_SOURCE_DIR}/resources/product.h QUENLOX_PRODUCT_DEFINES
     REGEX "^#define QUENLOX_[A-Z_]+ \".*\"$")
set(QUENLOX_NSIS_DEFINES)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  list(APPEND QUENLOX_NSIS_DEFINES -DTARGET=amd64-unicode)
endif()
foreach(define ${QUENLOX_PRODUCT_DEFINES})
  string(REGEX REPLACE "^#define QUENLOX_([A-Z_]+) \"(.*)\"$" "-D\\1=\\2" option "${define}")
  list(APPEND QUENLOX_NSIS_DEFINES "${option}")
endforeach()
set(QUENLOX_SETUP ${CMAKE_BINARY_DIR}/quenlox-${PROJECT_VERSION}-setup.exe)
add_custom_command(OUTPUT ${QUENLOX_SETUP}
  COMMAND ${MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DPUBLISHER=${QUENLOX_PUBLISHER}
          ${QUENLOX_NSIS_DEFINES}
          -DOUTFILE=${QUENLOX_SETUP} -DBINDIR=$<TARGET_FILE_DIR:quenlox> -DSRCDIR=${CMAKE_SOURCE_DIR}
          ${CMAKE_SOURCE_DIR}/packaging/quenlox.nsi
  DEPENDS quenlox quenlox-unblock packaging/quenlox.nsi resources/installer_texts.nsh
          resources/product.h
          ${QUENLOX_BESIDE_EXE} resources/quenlox.ico
  COMMENT "Building the installer"
  VERBATIM)
add_custom_target(installer ALL DEPENDS ${QUENLOX_SETUP})

# The release: installer, portable zip and their SHA-256 sums, under dist/.
string(REPLACE ";" "|" QUENLOX_PAGES "${QUENLOX_BESIDE_EXE}")
add_custom_target(dist
  COMMAND ${CMAKE_COMMAND} -DVERSION=${PROJECT_VERSION} -DSETUP=${QUENLOX_SETUP}
          -DFILES=$<TARGET_FILE:quenlox>|${QUENLOX_PAGES} -DOUTDIR=${CMAKE_SOURCE_DIR}/dist
          -P ${CMAKE_SOURCE_DIR}/cmake/dist.cmake
  DEPENDS installer
  VERBATIM)

# GoogleTest from its sources, so the suites run under Wine too.
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
# The win32 threading model has no std::mutex in this compiler, which GoogleTest's Notification
# uses: the suites get one over a Win32 event instead.
set(QUENLOX_GTEST_OPTIONS -DGTEST_HAS_NOTIFICATION_=1
    -include ${CMAKE_SOURCE_DIR}/tests/win32/gtest_notification.h)
add_subdirectory(${GTEST_SOURCE_DIR} googletest EXCLUDE_FROM_ALL)
target_compile_options(gtest PUBLIC ${QUENLOX_GTEST_OPTIONS})

add_executable(unit_tests ${UNIT_TEST_SOURCES})
target_link_libraries(unit_tests PRIVATE quenlox_memory gtest_main)
target_link_options(unit_tests PRIVATE ${QUENLOX_STATIC_LINK})

add_executable(win32_tests
  tests/win32/registry_win32_test.cpp
  tests/win32/dialogs_win32_test.cpp
  tests/win32/files_win32_test.cpp
  tests/win32/tray_win32_test.cpp
  tests/win32/ordering_win32_test.cpp
  ${QUENLOX_RC})
target_link_libraries(win32_tests PRIVATE quenlox_win32 quenlox_memory gtest_main)
target_link_options(win32_tests PRIVATE ${QUENLOX_STATIC_LINK})

# A dnsapi.dll to plant beside the program: the end-to-end tests check it is never loaded.
add_library(planted_dnsapi SHARED tests/e2e/planted_dll.cpp)
set_target_properties(planted_dnsapi PROPERTIES OUTPUT_NAME dnsapi PREFIX ""
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/planted)
target_link_options(planted_dnsapi PRIVATE ${QUENLOX_STATIC_LINK})

add_executable(e2e_driver tests/e2e/driver.cpp)
target_link_libraries(e2e_driver PRIVATE ${QUENLOX_WIN32_LIBS} psapi)
target_link_options(e2e_driver PRIVATE ${QUENLOX_STATIC_LINK} -mconsole)

# Benchmarks: the reference programs and the file measurements; `make bench` runs them.
add_executable(bench_win32 EXCLUDE_FROM_ALL tests/bench/bench_win32.cpp)
target_link_libraries(bench_win32 PRIVATE quenlox_win32 psapi)
target_link_options(bench_win32 PRIVATE ${QUENLOX_STATIC_LINK} -mconsole)
add_executable(bench_tray_only WIN32 EXCLUDE_FROM_ALL tests/bench/tray_only.cpp)
target_link_libraries(bench_tray_only PRIVATE ${QUENLOX_WIN32_LIBS})
target_link_options(bench_tray_only PRIVATE ${QUENLOX_STATIC_LINK} -s)
add_executable(bench_tray_reference WIN32 EXCLUDE_FROM_ALL tests/bench/tray_reference.cpp)
target_link_libraries(bench_tray_reference PRIVATE ${QUENLOX_WIN32_LIBS})
target_link_options(bench_tray_reference PRIVATE ${QUENLOX_STATIC_LINK} -s)
# The program once more, counting the objects it holds, for the soak.
add_library(quenlox_win32_counting STATIC EXCLUDE_FROM_ALL ${QUENLOX_WIN32_SOURCES})
target_link_libraries(quenlox_win32_counting PUBLIC quenlox_core ${QUENLOX_WIN32_LIBS})
target_compile_definitions(quenlox_win32_counting PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX
  QUENLOX_COUNT_HANDLES)
add_executable(quenlox_counting WIN32 EXCLUDE_FROM_ALL app/main.cpp app/terminate_handler.cpp
  ${QUENLOX_RC})
target_link_libraries(quenlox_counting PRIVATE quenlox_win32_counting)
target_link_options(quenlox_counting PRIVATE ${QUENLOX_STATIC_LINK} -s -Wl,--gc-sections)
add_custom_target(bench_programs
  DEPENDS bench_win32 bench_tray_only bench_tray_reference quenlox quenlox_counting e2e_driver)

set(WINE_TEMPLATE ${CMAKE_BINARY_DIR}/wine-template)
set(RUN_IN_WINE ${CMAKE_SOURCE_DIR}/tests/wine/run_in_wine.sh ${WINE_TEMPLATE})

# The shipped executables are the 32-bit ones: their imports must load on every system they are
# for. A build for x86_64 is only what Wine runs where the machine runs no 32-bit code.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  add_test(NAME imports COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/compat/check_imports.py
    ${CMAKE_OBJDUMP} ${QUENLOX_COMPAT_DIR} ${CMAKE_SOURCE_DIR}/tests/compat/other_imports.tsv
    $<TARGET_FILE:quenlox> $<TARGET_FILE:quenlox-unblock>)
endif()
add_test(NAME icon_reproducible COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/check_icon.sh ${CMAKE_SOURCE_DIR})
add_test(NAME unit_under_wine COMMAND ${RUN_IN_WINE} $<TARGET_FILE:unit_tests>)
add_test(NAME win32_in_process COMMAND ${RUN_IN_WINE} $<TARGET_FILE:win32_tests>)
add_test(NAME e2e COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/with_session.sh ${WINE_TEMPLATE}
  python3 ${CMAKE_SOURCE_DIR}/tests/e2e/e2e.py --exe $<TARGET_FILE:quenlox> --setup ${QUENLOX_SETUP} --driver $<TARGET_FILE:e2e_driver>
  --planted-dll $<TARGET_FILE:planted_dnsapi>
  --shots ${CMAKE_BINARY_DIR}/screenshots)
add_test(NAME kill_test COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/with_session.sh ${WINE_TEMPLATE}
  python3 ${CMAKE_SOURCE_DIR}/tests/e2e/kill_test.py --exe $<TARGET_FILE:quenlox>
  --driver $<TARGET_FILE:e2e_driver> --kills 50)
set_tests_properties(unit_under_wine win32_in_process e2e kill_test PROPERTIES RUN_SERIAL TRUE)
