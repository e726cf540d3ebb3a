# lumra knows the plug-in as any host does: through its exports, the SDK's
# interfaces and the plug-in's published interface headers, listed here. Fails,
# naming file and line, when a source of lumra/ (the tool and its session library)
# or a published header includes any other header of the plug-in's folders.
#
#   cmake -DSOURCE_DIR=<repository> -P published_headers.cmake
cmake_minimum_required(VERSION 3.25)
set(published material/ilumramtl.h shading/ishadestatistics.h shading/ishadeseed.h)
set(plugin_folders "material|shading|brdf|io|ui|plugin")

file(GLOB sources ${SOURCE_DIR}/lumra/*.h ${SOURCE_DIR}/lumra/*.cpp)
list(LENGTH sources count)
if(count EQUAL 0)
  message(FATAL_ERROR "no sources under ${SOURCE_DIR}/lumra")
endif()
foreach(header ${published})
  list(APPEND sources ${SOURCE_DIR}/${header})
endforeach()

set(failures 0)
foreach(file ${sources})
  file(STRINGS ${file} lines)
  set(number 0)
  foreach(line IN LISTS lines)
    math(EXPR number "${number} + 1")
    if(line MATCHES "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]*/)?((${plugin_folders})/[^>\"]+)[>\"]")
      if(NOT CMAKE_MATCH_2 IN_LIST published)
        file(RELATIVE_PATH shown ${SOURCE_DIR} ${file})
        message(SEND_ERROR "${shown}:${number}: includes ${CMAKE_MATCH_2}, "
                           "which the plug-in does not publish")
        math(EXPR failures "${failures} + 1")
      endif()
    endif()
  endforeach()
endforeach()
if(failures EQUAL 0)
  message(STATUS "${count} sources of lumra/ include only published plug-in headers")
endif()
