# libveskclient.so for other languages (the Python module among them), from
# the static library's own objects.
option(VESK_SHARED_LIBRARY "Also build libveskclient.so (exports only the vesk_* functions)" ON)

# The ABI version, the N of the soname libveskclient.so.N and of the package
# libveskclient<N>. Raise it only when the interface breaks (a function
# removed, or one whose arguments or meaning change); functions added keep
# it. The release version is the package's version.
set(VESK_ABI_VERSION 1)

if(VESK_SHARED_LIBRARY)
  add_library(veskclient_shared SHARED
    $<TARGET_OBJECTS:veskclient_objects> $<TARGET_OBJECTS:vesk_wire>)
  target_include_directories(veskclient_shared INTERFACE ${PROJECT_SOURCE_DIR}/client/include)
  set_target_properties(veskclient_shared PROPERTIES
    OUTPUT_NAME veskclient
    VERSION ${VESK_ABI_VERSION}
    SOVERSION ${VESK_ABI_VERSION}
    LINKER_LANGUAGE CXX
    LINK_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/veskclient.map)
  # The version script also hides the standard library's template
  # instances, which keep default visibility.
  target_link_options(veskclient_shared PRIVATE
    -Wl,--version-script=${CMAKE_CURRENT_LIST_DIR}/veskclient.map -Wl,--no-undefined)
endif()
