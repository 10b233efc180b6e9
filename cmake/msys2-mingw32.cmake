# 32-bit Windows with whatever MinGW-w64 toolchain is on PATH: MSYS2's MINGW32
# shell on Windows, or an i686-w64-mingw32 cross compiler elsewhere. (The
# Debian builds use mingw-win32.cmake and mingw-posix.cmake, which name
# Debian's compilers.)
#
# On Windows the build machine runs what it builds, so the build is not a
# cross build: mklogo is compiled by the same compiler with the lzo2 source
# tree the program uses, and no second compiler or host lzo2 is needed.
# Elsewhere mklogo needs the build machine's own C++ compiler and liblzo2.
if(CMAKE_HOST_WIN32)
  set(pellumo_cc_names i686-w64-mingw32-gcc gcc)
  set(pellumo_cxx_names i686-w64-mingw32-g++ g++)
  set(pellumo_rc_names i686-w64-mingw32-windres windres)
else()
  set(CMAKE_SYSTEM_NAME Windows)
  set(CMAKE_SYSTEM_PROCESSOR i686)
  set(pellumo_cc_names i686-w64-mingw32-gcc)
  set(pellumo_cxx_names i686-w64-mingw32-g++)
  set(pellumo_rc_names i686-w64-mingw32-windres)
endif()

find_program(PELLUMO_MINGW_CC NAMES ${pellumo_cc_names})
find_program(PELLUMO_MINGW_CXX NAMES ${pellumo_cxx_names})
find_program(PELLUMO_MINGW_RC NAMES ${pellumo_rc_names})
if(NOT PELLUMO_MINGW_CC OR NOT PELLUMO_MINGW_CXX OR NOT PELLUMO_MINGW_RC)
  message(FATAL_ERROR "No 32-bit MinGW-w64 compiler on PATH (${pellumo_cxx_names}, ${pellumo_rc_names}). "
                      "In MSYS2: pacman -S mingw-w64-i686-toolchain mingw-w64-i686-cmake, then build "
                      "from the MSYS2 MINGW32 shell.")
endif()
set(CMAKE_C_COMPILER ${PELLUMO_MINGW_CC})
set(CMAKE_CXX_COMPILER ${PELLUMO_MINGW_CXX})
set(CMAKE_RC_COMPILER ${PELLUMO_MINGW_RC})

if(NOT CMAKE_HOST_WIN32)
  # The compiler's own tree holds the Windows headers and libraries.
  get_filename_component(pellumo_mingw_bin ${PELLUMO_MINGW_CC} DIRECTORY)
  set(CMAKE_FIND_ROOT_PATH ${pellumo_mingw_bin}/../i686-w64-mingw32)
  set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
  set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
  set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
endif()
