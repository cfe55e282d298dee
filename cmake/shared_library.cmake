# libveskclient.so for other languages (the Python module among them): the
# same sources as the static library, built with hidden symbols so that only
# the vesk_* functions of veskclient.h are exported.
option(VESK_SHARED_LIBRARY "Also build libveskclient.so (exports only the vesk_* functions)" ON)

if(VESK_SHARED_LIBRARY)
  get_target_property(vesk_client_dir veskclient SOURCE_DIR)
  get_target_property(vesk_client_sources veskclient SOURCES)
  set(vesk_shared_sources "")
  foreach(source IN LISTS vesk_client_sources)
    cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY "${vesk_client_dir}")
    list(APPEND vesk_shared_sources "${source}")
    # Source properties (such as -O3 on the byte-order loops) belong to the
    # client's folder; carry them over.
    foreach(property COMPILE_OPTIONS COMPILE_DEFINITIONS)
      get_source_file_property(value "${source}" DIRECTORY "${vesk_client_dir}" ${property})
      if(value)
        set_source_files_properties("${source}" PROPERTIES ${property} "${value}")
      endif()
    endforeach()
  endforeach()

  add_library(veskclient_shared SHARED ${vesk_shared_sources})
  foreach(property INCLUDE_DIRECTORIES COMPILE_DEFINITIONS COMPILE_OPTIONS LINK_LIBRARIES)
    get_target_property(value veskclient ${property})
    if(value)
      set_property(TARGET veskclient_shared PROPERTY ${property} "${value}")
    endif()
  endforeach()
  get_target_property(vesk_client_public_includes veskclient INTERFACE_INCLUDE_DIRECTORIES)
  target_include_directories(veskclient_shared INTERFACE ${vesk_client_public_includes})

  set_target_properties(veskclient_shared PROPERTIES
    OUTPUT_NAME veskclient
    VERSION ${PROJECT_VERSION}
    SOVERSION ${PROJECT_VERSION_MAJOR}
    C_VISIBILITY_PRESET hidden
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    LINK_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/veskclient.map)
  # The header is read first under default visibility, so the vesk_*
  # declarations stay public; the version script also hides the standard
  # library's template instances, which keep default visibility.
  target_compile_options(veskclient_shared PRIVATE
    -include ${CMAKE_CURRENT_LIST_DIR}/veskclient_exports.h)
  target_link_options(veskclient_shared PRIVATE
    -Wl,--version-script=${CMAKE_CURRENT_LIST_DIR}/veskclient.map -Wl,--no-undefined)
endif()
