# cmake --install: the programs, the client library with its header, the
# manual pages, and the package files for find_package(veskclient) and
# pkg-config. Both package files locate the prefix from where they lie, so a
# tree installed with --prefix or DESTDIR can be moved. The components are
# the Debian packages' parts (cmake/packaging.cmake): programs, runtime (the
# shared library), development and python.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS veskplay vesksim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT programs)
install(FILES ${PROJECT_SOURCE_DIR}/doc/veskplay.1 ${PROJECT_SOURCE_DIR}/doc/vesksim.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT programs)
install(TARGETS veskclient ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development)
if(TARGET veskclient_shared)
  install(TARGETS veskclient_shared LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
          COMPONENT runtime NAMELINK_COMPONENT development)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/client/include/veskclient.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)

set(VESK_STATIC_LIBRARY_FILE ${CMAKE_STATIC_LIBRARY_PREFIX}veskclient${CMAKE_STATIC_LIBRARY_SUFFIX})
set(VESK_SHARED_LIBRARY_FILE ${CMAKE_SHARED_LIBRARY_PREFIX}veskclient${CMAKE_SHARED_LIBRARY_SUFFIX})
set(vesk_package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/veskclient)
configure_package_config_file(
  ${CMAKE_CURRENT_LIST_DIR}/veskclientConfig.cmake.in
  ${PROJECT_BINARY_DIR}/veskclientConfig.cmake
  INSTALL_DESTINATION ${vesk_package_dir}
  PATH_VARS CMAKE_INSTALL_INCLUDEDIR CMAKE_INSTALL_LIBDIR)
write_basic_package_version_file(
  ${PROJECT_BINARY_DIR}/veskclientConfigVersion.cmake
  VERSION ${PROJECT_VERSION}
  COMPATIBILITY AnyNewerVersion)
install(FILES ${PROJECT_BINARY_DIR}/veskclientConfig.cmake
              ${PROJECT_BINARY_DIR}/veskclientConfigVersion.cmake
        DESTINATION ${vesk_package_dir} COMPONENT development)

# pkg-config: the prefix is found from the .pc file's own folder.
set(vesk_pc_dir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
  set(VESK_PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
  set(VESK_PC_LIBDIR "${CMAKE_INSTALL_LIBDIR}")
else()
  file(RELATIVE_PATH vesk_pc_up /${vesk_pc_dir} /)
  string(REGEX REPLACE "/$" "" vesk_pc_up "${vesk_pc_up}")
  set(VESK_PC_PREFIX "\${pcfiledir}/${vesk_pc_up}")
  set(VESK_PC_LIBDIR "\${prefix}/${CMAKE_INSTALL_LIBDIR}")
endif()
if(IS_ABSOLUTE "${CMAKE_INSTALL_INCLUDEDIR}")
  set(VESK_PC_INCLUDEDIR "${CMAKE_INSTALL_INCLUDEDIR}")
else()
  set(VESK_PC_INCLUDEDIR "\${prefix}/${CMAKE_INSTALL_INCLUDEDIR}")
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/veskclient.pc.in ${PROJECT_BINARY_DIR}/veskclient.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/veskclient.pc DESTINATION ${vesk_pc_dir} COMPONENT development)
