# SPDX-License-Identifier: GPL-3.0-or-later
# Where the programs look for libpixkit, in the build tree and installed.
#
# CMake's usual way links the build tree's programs with an absolute search
# path and rewrites it in place at install time; to make room for that it
# ends the build tree's path with a ":", an empty element, which the loader
# takes for the current folder: a libc.so.6 planted in whatever folder
# build/bin/stempora was started from would have been loaded. So no search
# path is rewritten here. The build tree puts libpixkit where the install
# puts it relative to the programs, and every program carries the one
# "$ORIGIN/..." path that holds in both places.
include(GNUInstallDirs)

file(RELATIVE_PATH STEMPORA_BIN_TO_LIB ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
if(STEMPORA_BIN_TO_LIB STREQUAL "")
  set(STEMPORA_BIN_TO_LIB .)
endif()
set(STEMPORA_INSTALL_RPATH "$ORIGIN/${STEMPORA_BIN_TO_LIB}")

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
get_filename_component(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${STEMPORA_BIN_TO_LIB}
                       ABSOLUTE)
string(FIND "${CMAKE_LIBRARY_OUTPUT_DIRECTORY}/" "${CMAKE_BINARY_DIR}/" library_inside_build)
if(NOT library_inside_build EQUAL 0)
  message(FATAL_ERROR "The library folder ${CMAKE_INSTALL_FULL_LIBDIR} is reached from the program folder "
                      "${CMAKE_INSTALL_FULL_BINDIR} only through ${STEMPORA_BIN_TO_LIB}, which leaves the build "
                      "folder; choose CMAKE_INSTALL_LIBDIR nearer to CMAKE_INSTALL_BINDIR.")
endif()
set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)

set(CMAKE_BUILD_WITH_INSTALL_RPATH ON)
set(CMAKE_INSTALL_RPATH "${STEMPORA_INSTALL_RPATH}")

# A library folder the loader searches anyway (/usr/lib/<multiarch> for a
# Debian package) needs no search path in the installed programs; Debian
# forbids one there.
set(STEMPORA_LIBDIR_IS_SYSTEM OFF)
foreach(system_dir IN LISTS CMAKE_PLATFORM_IMPLICIT_LINK_DIRECTORIES CMAKE_C_IMPLICIT_LINK_DIRECTORIES)
  if(system_dir STREQUAL CMAKE_INSTALL_FULL_LIBDIR AND NOT system_dir MATCHES "/gcc/")
    set(STEMPORA_LIBDIR_IS_SYSTEM ON)
  endif()
endforeach()

# The library itself needs no search path: it loads only system libraries.
function(stempora_library_without_search_path target)
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "")
endfunction()

# Called after the programs' folders: drops the search path from the
# installed programs when the library is in a system folder. Removing
# leaves the path's bytes zeroed in place; relative to the program they are
# the same in every build folder, so a package stays the same wherever it
# is built.
function(stempora_drop_search_path_of_installed_programs)
  if(NOT STEMPORA_LIBDIR_IS_SYSTEM)
    return()
  endif()
  if(IS_ABSOLUTE "${CMAKE_INSTALL_BINDIR}")
    set(bindir "${CMAKE_INSTALL_BINDIR}")
  else()
    set(bindir "\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}")
  endif()
  foreach(program IN LISTS ARGN)
    install(CODE "
      set(program \"\$ENV{DESTDIR}${bindir}/${program}\")
      if(EXISTS \"\${program}\")
        file(RPATH_REMOVE FILE \"\${program}\")
      endif()")
  endforeach()
endfunction()
