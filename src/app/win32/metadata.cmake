# The version resource and the application manifest of tarnwick.exe.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(TARNWICK_MANIFEST_ARCH x86)
else()
  set(TARNWICK_MANIFEST_ARCH amd64)
endif()
set(TARNWICK_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/tarnwick.manifest)
configure_file(${CMAKE_CURRENT_LIST_DIR}/tarnwick.manifest.in ${TARNWICK_MANIFEST} @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/version.rc.in ${CMAKE_CURRENT_BINARY_DIR}/version.rc @ONLY)
target_sources(tarnwick PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/version.rc)

# The manifest, for the program and for the tests that show its window: both then get the same
# controls and the same resolution handling.
file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/manifest.rc
  CONTENT "1 24 \"${TARNWICK_MANIFEST}\"\n")
add_library(tarnwick_manifest OBJECT ${CMAKE_CURRENT_BINARY_DIR}/manifest.rc)
set_property(SOURCE ${CMAKE_CURRENT_BINARY_DIR}/manifest.rc APPEND PROPERTY OBJECT_DEPENDS
  ${TARNWICK_MANIFEST})
target_link_libraries(tarnwick PRIVATE tarnwick_manifest)
