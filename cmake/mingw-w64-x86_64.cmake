# Cross build for 64-bit Windows with MinGW-w64 (the posix thread model, for std::thread and std::mutex).
# Test executables run under Wine through CMAKE_CROSSCOMPILING_EMULATOR.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
# Self-contained executables: no MinGW runtime DLLs to place beside them in the Wine prefix.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# The Windows libraries made by scripts/windows-deps (static Qt, zlib, TagLib, libcurl): its cache folder,
# given as -DCANTREL_WINDOWS_DEPS=<folder> or in the environment. Without it the build leaves out what needs
# them (the Qt layer, the program and the database client). Kept in the environment for CMake's try_compile
# projects, which read this file again.
if(NOT CANTREL_WINDOWS_DEPS AND DEFINED ENV{CANTREL_WINDOWS_DEPS})
  set(CANTREL_WINDOWS_DEPS "$ENV{CANTREL_WINDOWS_DEPS}")
endif()
if(CANTREL_WINDOWS_DEPS)
  set(ENV{CANTREL_WINDOWS_DEPS} "${CANTREL_WINDOWS_DEPS}")
  foreach(lib qt zlib taglib curl pcre2 json)
    if(EXISTS "${CANTREL_WINDOWS_DEPS}/${lib}")
      list(APPEND CMAKE_FIND_ROOT_PATH "${CANTREL_WINDOWS_DEPS}/${lib}")
      list(APPEND CMAKE_PREFIX_PATH "${CANTREL_WINDOWS_DEPS}/${lib}")
    endif()
  endforeach()
  set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
  # Qt's host tools (moc, rcc, uic) are Debian's of the same version.
  set(QT_HOST_PATH /usr)
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
endif()
