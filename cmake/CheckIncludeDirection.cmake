# Fails when a source file includes a header of a folder above its own.
# Run as: cmake -DSOURCE_DIR=<root> -P CheckIncludeDirection.cmake
# Folders from the bottom up; each may include its own folder and those
# below it. Tests, benchmarks, shots and fuzz targets sit on top of all.
set(layers common update link catalogue model protocol jobs bluetooth sim cli services ui app)

set(bad "")
foreach(folder ${layers})
  list(FIND layers ${folder} level)
  file(GLOB_RECURSE files ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
  foreach(file ${files})
    file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]+\"[a-z_]+/")
    foreach(line ${lines})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+\"([a-z_]+)/.*" "\\1" target "${line}")
      list(FIND layers ${target} targetLevel)
      if(targetLevel GREATER level)
        file(RELATIVE_PATH rel ${SOURCE_DIR} ${file})
        string(APPEND bad "  ${rel}: ${line}  (${folder} may not include ${target})\n")
      endif()
    endforeach()
  endforeach()
endforeach()
if(bad)
  message(FATAL_ERROR "Includes against the direction of the folders:\n${bad}"
                      "Order, bottom up: ${layers}")
endif()
