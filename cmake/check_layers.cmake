# Fails when a source file includes a header of a higher layer. The layers,
# lowest first: store/ ← text/ ← import/ ← readers/ ← the program's
# subsystems (wordindex/, browse/, maintenance/, topics/, export/) ← app/.
# Within readers/, a format family includes only its own folder and the
# shared machinery (readers/machinery/); only the registry at the top of
# readers/ knows every family. Tests, benchmarks, fuzz targets and tools
# may include anything.
#
#   cmake -DSOURCE_DIR=<project root> -P cmake/check_layers.cmake
cmake_minimum_required(VERSION 3.25)

function(layer_rank path out)
  set(rank -1)
  if(path MATCHES "^store/")
    set(rank 0)
  elseif(path MATCHES "^text/")
    set(rank 1)
  elseif(path MATCHES "^import/")
    set(rank 2)
  elseif(path MATCHES "^readers/")
    set(rank 3)
  elseif(path MATCHES "^(wordindex|browse|maintenance|topics|export)/")
    set(rank 4)
  elseif(path MATCHES "^app/")
    set(rank 5)
  endif()
  set(${out} ${rank} PARENT_SCOPE)
endfunction()

# The reader family a path under readers/ belongs to ("" for the top).
function(reader_family path out)
  set(family "")
  if(path MATCHES "^readers/([^/]+)/")
    set(family ${CMAKE_MATCH_1})
  endif()
  set(${out} "${family}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}
     ${SOURCE_DIR}/store/*.h ${SOURCE_DIR}/store/*.cpp ${SOURCE_DIR}/text/*.h ${SOURCE_DIR}/text/*.cpp
     ${SOURCE_DIR}/import/*.h ${SOURCE_DIR}/import/*.cpp ${SOURCE_DIR}/readers/*.h ${SOURCE_DIR}/readers/*.cpp
     ${SOURCE_DIR}/wordindex/*.h ${SOURCE_DIR}/wordindex/*.cpp ${SOURCE_DIR}/browse/*.h ${SOURCE_DIR}/browse/*.cpp
     ${SOURCE_DIR}/maintenance/*.h ${SOURCE_DIR}/maintenance/*.cpp ${SOURCE_DIR}/topics/*.h
     ${SOURCE_DIR}/topics/*.cpp ${SOURCE_DIR}/export/*.h ${SOURCE_DIR}/export/*.cpp ${SOURCE_DIR}/app/*.h
     ${SOURCE_DIR}/app/*.cpp)

set(violations "")
foreach(source IN LISTS sources)
  layer_rank(${source} from)
  reader_family(${source} fromFamily)
  file(STRINGS ${SOURCE_DIR}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" header "${line}")
    layer_rank(${header} to)
    if(to EQUAL -1)
      list(APPEND violations "${source}: includes ${header}, which is outside the layers")
    elseif(to GREATER from)
      list(APPEND violations "${source}: includes ${header} of a higher layer")
    elseif(from EQUAL 3 AND to EQUAL 3 AND NOT fromFamily STREQUAL "")
      reader_family(${header} toFamily)
      if(NOT toFamily STREQUAL fromFamily AND NOT toFamily STREQUAL "machinery")
        list(APPEND violations "${source}: includes ${header} of another reader family")
      endif()
    endif()
  endforeach()
endforeach()

if(violations)
  list(JOIN violations "\n  " text)
  message(FATAL_ERROR "Includes against the layer order:\n  ${text}")
endif()
