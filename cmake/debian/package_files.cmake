# Run by cpack on the staged components before it makes the .deb files
# (CPACK_PRE_BUILD_SCRIPTS). Gives every package what Debian asks of a
# binary package, whatever its component installs:
#   manual pages compressed with gzip -9n (no name or time in the header, so
#   the same sources give the same package);
#   usr/share/doc/PACKAGE/copyright: debian/PACKAGE/copyright if there is
#   one, else debian/copyright;
#   usr/share/doc/PACKAGE/changelog.Debian.gz from debian/changelog, whose
#   latest entry must name this very version;
#   usr/share/lintian/overrides/PACKAGE from debian/lintian-overrides, for
#   the warnings that are wrong for packages built outside Debian's archive.
set(debian_dir ${CMAKE_CURRENT_LIST_DIR})
set(version "${CPACK_PACKAGE_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}")

file(STRINGS ${debian_dir}/changelog changelog_top LIMIT_COUNT 1)
if(NOT changelog_top MATCHES "^[a-z0-9.+-]+ \\(([^)]+)\\) ")
  message(FATAL_ERROR "${debian_dir}/changelog does not start with an entry: ${changelog_top}")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL version)
  message(FATAL_ERROR "The latest entry of ${debian_dir}/changelog is for ${CMAKE_MATCH_1}, "
                      "not ${version}: add an entry for this version")
endif()

set(readable OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
function(gzip_to source destination)
  execute_process(COMMAND gzip -9nc ${source} OUTPUT_FILE ${destination} COMMAND_ERROR_IS_FATAL ANY)
  file(CHMOD ${destination} PERMISSIONS ${readable})
endfunction()

foreach(component IN LISTS CPACK_COMPONENTS_ALL)
  string(TOUPPER ${component} upper)
  set(package "${CPACK_DEBIAN_${upper}_PACKAGE_NAME}")
  if(NOT package)
    message(FATAL_ERROR "The component ${component} has no Debian package name")
  endif()
  set(root ${CPACK_TEMPORARY_DIRECTORY}/${component}${CPACK_PACKAGING_INSTALL_PREFIX})

  file(GLOB pages LIST_DIRECTORIES false ${root}/share/man/*/*)
  list(FILTER pages EXCLUDE REGEX "\\.gz$")
  foreach(page IN LISTS pages)
    gzip_to(${page} ${page}.gz)
    file(REMOVE ${page})
  endforeach()

  set(doc ${root}/share/doc/${package})
  file(MAKE_DIRECTORY ${doc})
  set(copyright ${debian_dir}/${package}/copyright)
  if(NOT EXISTS ${copyright})
    set(copyright ${debian_dir}/copyright)
  endif()
  file(COPY ${copyright} DESTINATION ${doc} FILE_PERMISSIONS ${readable})
  gzip_to(${debian_dir}/changelog ${doc}/changelog.Debian.gz)
  set(overrides ${root}/share/lintian/overrides)
  file(MAKE_DIRECTORY ${overrides})
  configure_file(${debian_dir}/lintian-overrides ${overrides}/${package} COPYONLY)
  file(CHMOD ${overrides}/${package} PERMISSIONS ${readable})
endforeach()
