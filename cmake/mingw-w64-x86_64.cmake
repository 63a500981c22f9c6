# Cross-compiles for x86-64 Windows with Debian's mingw-w64 compilers
# (POSIX thread model: g++-mingw-w64-x86-64-posix).
#
# Libraries are looked up in the Windows dependency prefix that
# scripts/windows-deps builds, then in the mingw-w64 system root; programs
# (genrb, perl, ...) are the build machine's own. Test executables run under
# scripts/wine-run, so `ctest` works on a cross-built tree.
#
# WINDOWS_DEPS_PREFIX names the dependency prefix; it defaults to
# <source>/build/windows-deps/current, the link scripts/windows-deps points at
# its newest build (a rebuild of the dependencies is picked up without
# reconfiguring). The Wine prefix the tests run in is
# <build>/wine, created on first use.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${_mingw}-windres)
set(CMAKE_AR ${_mingw}-gcc-ar-posix CACHE FILEPATH "Archiver")
set(CMAKE_RANLIB ${_mingw}-gcc-ranlib-posix CACHE FILEPATH "Ranlib")

# ACE expects every module that uses it to be built thread-aware.
set(CMAKE_C_FLAGS_INIT "-mthreads")
set(CMAKE_CXX_FLAGS_INIT "-mthreads")

get_filename_component(_norvel_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
if(NOT WINDOWS_DEPS_PREFIX)
  if(DEFINED ENV{WINDOWS_DEPS_PREFIX})
    set(WINDOWS_DEPS_PREFIX "$ENV{WINDOWS_DEPS_PREFIX}")
  else()
    set(WINDOWS_DEPS_PREFIX "${_norvel_root}/build/windows-deps/current")
  endif()
endif()
set(WINDOWS_DEPS_PREFIX "${WINDOWS_DEPS_PREFIX}" CACHE PATH
    "Prefix of the Windows builds of the third-party libraries")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES WINDOWS_DEPS_PREFIX)

# Search the dependency prefix first, then the compiler's own root; never the
# build machine's /usr.
set(CMAKE_FIND_ROOT_PATH "${WINDOWS_DEPS_PREFIX}" /usr/${_mingw})
list(PREPEND CMAKE_PREFIX_PATH "${WINDOWS_DEPS_PREFIX}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest and add_custom_command run the Windows executables through Wine, with
# the dependency DLLs on the search path.
set(CMAKE_CROSSCOMPILING_EMULATOR
    "${_norvel_root}/scripts/wine-run;--wine-prefix;${CMAKE_BINARY_DIR}/wine;--dll-dir;${WINDOWS_DEPS_PREFIX}/bin")
