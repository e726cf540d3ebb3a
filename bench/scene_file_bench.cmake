# Saving and loading a scene of 10,000 materials with maps.
add_executable(scene_file_bench ${CMAKE_CURRENT_LIST_DIR}/scene_file_bench.cpp $<TARGET_OBJECTS:lumramtl_objects>)
target_link_libraries(scene_file_bench PRIVATE maxsdk_internal ${LUMRA_PLUGIN_LIBS} benchmark::benchmark)
target_include_directories(scene_file_bench PRIVATE ${PROJECT_SOURCE_DIR})
lumra_add_module_startup(scene_file_bench)
lumra_target_resources(scene_file_bench ${PROJECT_SOURCE_DIR}/ui/LumraMtl.rc)
