# The Python module veskclient, a package over libveskclient.so. The build
# folder gets a copy under python/ (PYTHONPATH=BUILD/python), and cmake
# --install puts it where Debian's Python looks for that prefix. In both
# places _location.py names the library relative to the package, so that
# importing it needs no environment.
if(NOT TARGET veskclient_shared)
  return()
endif()

# Debian's python3 reads PREFIX/lib/python3/dist-packages for /usr and
# PREFIX/lib/python3.X/dist-packages for /usr/local and any other prefix.
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(vesk_python_default lib/python3/dist-packages)
else()
  find_program(VESK_SYSTEM_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH)
  find_program(VESK_SYSTEM_PYTHON python3)
  execute_process(COMMAND ${VESK_SYSTEM_PYTHON} -c "import sys; print('%d.%d' % sys.version_info[:2])"
                  OUTPUT_VARIABLE vesk_python_version OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(vesk_python_version)
    set(vesk_python_default lib/python${vesk_python_version}/dist-packages)
  else()
    set(vesk_python_default lib/python3/dist-packages)
  endif()
endif()
set(VESK_PYTHON_DIR ${vesk_python_default} CACHE PATH
    "Folder of the installed Python module, relative to the prefix")

set(vesk_python_files __init__.py __main__.py py.typed)
set(vesk_python_source ${PROJECT_SOURCE_DIR}/python/veskclient)
set(vesk_python_build ${PROJECT_BINARY_DIR}/python/veskclient)
foreach(file IN LISTS vesk_python_files)
  configure_file(${vesk_python_source}/${file} ${vesk_python_build}/${file} COPYONLY)
endforeach()

# location_file OUTPUT PACKAGE_DIR LIBRARY_DIR: _location.py for a package in
# PACKAGE_DIR and the library in LIBRARY_DIR (absolute, or both relative to
# one prefix). It names the file that carries the library's soname, which
# the runtime package holds without the development symlink.
function(vesk_location_file output package_dir library_dir)
  cmake_path(ABSOLUTE_PATH package_dir BASE_DIRECTORY /vesk-prefix)
  cmake_path(ABSOLUTE_PATH library_dir BASE_DIRECTORY /vesk-prefix)
  file(RELATIVE_PATH relative ${package_dir} ${library_dir})
  cmake_path(APPEND relative "$<TARGET_SONAME_FILE_NAME:veskclient_shared>")
  file(GENERATE OUTPUT ${output} CONTENT "LIBRARY = \"${relative}\"\n")
endfunction()

vesk_location_file(${vesk_python_build}/_location.py ${vesk_python_build} ${CMAKE_LIBRARY_OUTPUT_DIRECTORY})
vesk_location_file(${PROJECT_BINARY_DIR}/python-install/_location.py
                   ${VESK_PYTHON_DIR}/veskclient ${CMAKE_INSTALL_LIBDIR})

list(TRANSFORM vesk_python_files PREPEND ${vesk_python_source}/)
install(FILES ${vesk_python_files} ${PROJECT_BINARY_DIR}/python-install/_location.py
        DESTINATION ${VESK_PYTHON_DIR}/veskclient COMPONENT python)
