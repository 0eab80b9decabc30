# SPDX-License-Identifier: GPL-3.0-or-later
# A pkg-config file in the form pkg-config and distributions expect:
# prefix=<the install prefix>, and libdir and includedir written under
# ${prefix}. The prefix is the one the install goes to, which
# `cmake --install --prefix` may change after configuring, so the file is
# completed at install time. An install into a DESTDIR is read as any
# staged install is, with PKG_CONFIG_SYSROOT_DIR set to the DESTDIR.
#
# The template uses @PKG_CONFIG_PREFIX@, @PKG_CONFIG_LIBDIR@ and
# @PKG_CONFIG_INCLUDEDIR@ beside the usual @VARIABLES@.

# A CMAKE_INSTALL_<dir> as pkg-config writes it: relative ones under
# ${prefix}, absolute ones under ${prefix} when they lie in the configured
# prefix, otherwise as they are.
function(stempora_pkg_config_dir dir result)
  if(NOT IS_ABSOLUTE "${dir}")
    set(${result} "\${prefix}/${dir}" PARENT_SCOPE)
    return()
  endif()
  string(REGEX REPLACE "/+$" "" prefix "${CMAKE_INSTALL_PREFIX}")
  string(FIND "${dir}/" "${prefix}/" at)
  if(at EQUAL 0 AND NOT prefix STREQUAL "")
    string(LENGTH "${prefix}/" skip)
    string(SUBSTRING "${dir}" ${skip} -1 below)
    set(${result} "\${prefix}/${below}" PARENT_SCOPE)
  else()
    set(${result} "${dir}" PARENT_SCOPE)
  endif()
endfunction()

function(stempora_install_pkg_config template name component)
  # Left in place for the install to fill in.
  set(PKG_CONFIG_PREFIX "@PKG_CONFIG_PREFIX@")
  stempora_pkg_config_dir("${CMAKE_INSTALL_LIBDIR}" PKG_CONFIG_LIBDIR)
  stempora_pkg_config_dir("${CMAKE_INSTALL_INCLUDEDIR}" PKG_CONFIG_INCLUDEDIR)
  set(configured ${CMAKE_CURRENT_BINARY_DIR}/${name}.pc.configured)
  set(installed ${CMAKE_CURRENT_BINARY_DIR}/${name}.pc)
  configure_file(${template} ${configured} @ONLY)
  install(CODE "
    file(READ \"${configured}\" text)
    string(REGEX REPLACE \"(.)/+\$\" \"\\\\1\" prefix \"\${CMAKE_INSTALL_PREFIX}\")
    string(REPLACE \"@PKG_CONFIG_PREFIX@\" \"\${prefix}\" text \"\${text}\")
    file(CONFIGURE OUTPUT \"${installed}\" CONTENT \"\${text}\" @ONLY)"
    COMPONENT ${component})
  install(FILES ${installed} DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT ${component})
endfunction()
