# The Windows program, cross-built with mingw-w64 (cmake/mingw-w64-x86_64.cmake): the core
# (ports, app, filelist, extract) with the Win32 adapters of src/platform/win32/ and the Win32
# window of src/win32ui/. No embedded engine, no Qt, no command line: on Windows the
# spreadsheet server is the spreadsheet application, reached through src/platform/com/ when
# that folder is present. Text is UTF-16 throughout (wchar_t is 16 bits here).
set(BRINTOVA_GUI OFF CACHE BOOL "The Qt window is not built for Windows" FORCE)
enable_language(RC)  # the program's icon, manifest and version
add_compile_definitions(UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601)

if(CMAKE_CROSSCOMPILING)
  # Every test, and the listing of each test executable's cases, runs under wine in a prefix of
  # this build folder's own.
  set(BRINTOVA_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/cmake/wine-run.sh ${BRINTOVA_WINE_PREFIX})
endif()

if(BRINTOVA_TESTS)
  # GoogleTest built from Debian's sources (package googletest) with the cross compiler, once
  # per build folder, without the project's warning flags.
  set(BRINTOVA_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree")
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${BRINTOVA_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # Suites that list their cases one by one do it when ctest runs, not after every link: each
  # listing is a start of wine, and during the build no persistent wineserver runs.
  set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
endif()

# -O2 rather than -O3 for Release: this GCC's -O3 reports false -Wrestrict overlaps inside
# std::basic_string's operator+ (GCC bug 105651), and the program gains nothing from -O3.
set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG")
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG")
