# libveskclient.so for other languages (the Python module among them), from
# the static library's own objects.
option(VESK_SHARED_LIBRARY "Also build libveskclient.so (exports only the vesk_* functions)" ON)

if(VESK_SHARED_LIBRARY)
  add_library(veskclient_shared SHARED
    $<TARGET_OBJECTS:veskclient_objects> $<TARGET_OBJECTS:vesk_wire>)
  target_include_directories(veskclient_shared INTERFACE ${PROJECT_SOURCE_DIR}/client/include)
  set_target_properties(veskclient_shared PROPERTIES
    OUTPUT_NAME veskclient
    VERSION ${PROJECT_VERSION}
    SOVERSION ${PROJECT_VERSION_MAJOR}
    LINKER_LANGUAGE CXX
    LINK_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/veskclient.map)
  # The version script also hides the standard library's template
  # instances, which keep default visibility.
  target_link_options(veskclient_shared PRIVATE
    -Wl,--version-script=${CMAKE_CURRENT_LIST_DIR}/veskclient.map -Wl,--no-undefined)
endif()
