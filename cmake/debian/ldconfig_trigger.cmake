# Run by cpack on the finished .deb files (CPACK_POST_BUILD_SCRIPTS). cpack
# gives a package with a shared library in the linker's folders a postinst
# and a postrm that only call ldconfig; Debian uses the ldconfig trigger
# instead, which runs it once for all packages of an installation. Each such
# package is rebuilt with the trigger in place of the two scripts.
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  set(tree ${deb}.tree)
  file(REMOVE_RECURSE ${tree})
  execute_process(COMMAND dpkg-deb -R ${deb} ${tree} COMMAND_ERROR_IS_FATAL ANY)
  set(scripts ${tree}/DEBIAN/postinst ${tree}/DEBIAN/postrm)
  set(ldconfig_only TRUE)
  foreach(script IN LISTS scripts)
    if(EXISTS ${script})
      file(READ ${script} text)
    else()
      set(text "")
    endif()
    # The whole script: the shell line, set -e, and one test calling ldconfig.
    if(NOT text MATCHES "^#!/bin/sh\n+set -e\n+if \\[ \"\\$1\" = \"[a-z]+\" \\]; then\n\tldconfig\nfi\n*$")
      set(ldconfig_only FALSE)
    endif()
  endforeach()
  if(ldconfig_only)
    file(REMOVE ${scripts})
    file(WRITE ${tree}/DEBIAN/triggers "activate-noawait ldconfig\n")
    file(CHMOD ${tree}/DEBIAN/triggers PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    execute_process(COMMAND dpkg-deb --root-owner-group -b ${tree} ${deb}
                    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  endif()
  file(REMOVE_RECURSE ${tree})
endforeach()
