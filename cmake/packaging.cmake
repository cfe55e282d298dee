# Debian packages, one per install component (cmake/install.cmake):
#   veskplay             programs   the programs and their manual pages
#   libveskclient<N>     runtime    libveskclient.so.N (N: VESK_ABI_VERSION)
#   libveskclient-dev    development  static library, header, .so symlink, CMake and pkg-config files
#   python3-veskclient   python     the Python module
# Build them from a build configured for prefix /usr (the package preset):
# cmake --workflow --preset package, or scripts/package.sh.
# Programs and library are stripped; their debug symbols are left out (the
# Release build has none to ship). Copyright, changelog and compressed manual
# pages are added to every package by debian/package_files.cmake, so that a
# program or manual page added to a component needs nothing more here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veskplay)
set(CPACK_PACKAGE_VENDOR "veskplay")
set(CPACK_PACKAGE_CONTACT "veskplay maintainers <veskplay@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/debian/package_files.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/debian/ldconfig_trigger.cmake)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL programs development)
if(TARGET veskclient_shared)
  list(APPEND CPACK_COMPONENTS_ALL runtime python)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The release of the packaging: debian/changelog's latest entry must name
# this version and release.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SOURCE veskplay)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
# A program built against this release runs with any later one of the same
# ABI version.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# Depends on the package of each component named in CPACK_COMPONENT_*_DEPENDS,
# at this very version.
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)

set(CPACK_DEBIAN_PROGRAMS_PACKAGE_NAME veskplay)
set(CPACK_DEBIAN_PROGRAMS_PACKAGE_SECTION electronics)
set(vesk_programs_text "The programs veskplay and vesksim. veskplay plays a stimulus on the
device's output channels, captures its input channels to raw files and
follows one channel's frequency and level. vesksim is a simulated audio
server for trying runs on one machine.")
if(TARGET veskmeasure)
  set(vesk_programs_text "The programs veskplay, vesksim, veskmeasure and veskgen. veskplay
plays a stimulus on the device's output channels, captures its input
channels to raw files and follows one channel's frequency and level.
vesksim is a simulated audio server for trying runs on one machine.
veskmeasure measures the captures and checks them against limits. veskgen
writes sine and multitone stimulus files for veskplay -r, with tone sets
that interleave across channels, so that response and crosstalk come from
one run.")
  # veskmeasure draws its plots with gnuplot; measuring works without it.
  set(CPACK_DEBIAN_PROGRAMS_PACKAGE_RECOMMENDS "gnuplot-nox | gnuplot")
endif()
set(CPACK_COMPONENT_PROGRAMS_DESCRIPTION "test programs for Plenar audio test hardware
${vesk_programs_text}")

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libveskclient${VESK_ABI_VERSION})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION "client library for Plenar audio test hardware
The shared library libveskclient.so.${VESK_ABI_VERSION}, which talks to the audio server of
Plenar audio test hardware over TCP. It exports only the vesk_* functions
of its C interface.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libveskclient-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
# A C program that links the static library needs the C++ runtime's
# development files (those of the compiler that built it first; any other
# will do), and the .so symlink needs the runtime package.
string(REGEX MATCH "^[0-9]+" vesk_gcc_major "${CMAKE_CXX_COMPILER_VERSION}")
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND vesk_gcc_major)
  set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "libstdc++-${vesk_gcc_major}-dev | libstdc++-dev")
else()
  set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "libstdc++-dev")
endif()
if(TARGET veskclient_shared)
  set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS runtime)
endif()
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION "client library for Plenar audio test hardware (development files)
The header veskclient.h, the static library libveskclient.a, the
libveskclient.so link, and the files that find_package(veskclient) and
pkg-config read.")

set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-veskclient)
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS "python3")
set(CPACK_DEBIAN_PYTHON_PACKAGE_SUGGESTS "python3-numpy")
set(CPACK_COMPONENT_PYTHON_DEPENDS runtime)
set(CPACK_DEBIAN_PYTHON_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_LIST_DIR}/debian/python3-veskclient/postinst
    ${CMAKE_CURRENT_LIST_DIR}/debian/python3-veskclient/prerm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_COMPONENT_PYTHON_DESCRIPTION "Python module for Plenar audio test hardware
The module veskclient wraps libveskclient.so with ctypes. It uses numpy
arrays for samples when numpy is installed.
python3 -m veskclient info ADDRESS prints what an audio server reports.")

include(CPack)
