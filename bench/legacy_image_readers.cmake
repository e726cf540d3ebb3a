# The replaced decoders (bench/legacy_image_readers.h), for the texture benchmark and
# the readers' corpus test; included by both, made once.
if(NOT TARGET lumra_legacy_image_readers)
  add_library(lumra_legacy_image_readers STATIC
    ${PROJECT_SOURCE_DIR}/bench/legacy_image_readers.cpp
    ${PROJECT_SOURCE_DIR}/bench/stb_image_impl.cpp)
  target_include_directories(lumra_legacy_image_readers PUBLIC ${PROJECT_SOURCE_DIR})
  target_include_directories(lumra_legacy_image_readers SYSTEM PRIVATE ${LUMRA_STB_INCLUDE_DIR})
  target_link_libraries(lumra_legacy_image_readers PUBLIC maxsdk_internal PRIVATE OpenEXR::OpenEXR)
endif()
