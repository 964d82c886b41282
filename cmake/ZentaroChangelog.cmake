# Script mode: makes the package's changelog.gz from packaging/changelog.
#   cmake -DCHANGELOG=<file> -DVERSION=<x.y.z.w> -DDATE=<YYYY-MM-DD> -DOUT=<folder>
#         -DGZIP=<gzip> -P ZentaroChangelog.cmake
# The newest entry must name the project's version and release date, so that
# a release cannot ship the previous one's notes.
cmake_minimum_required(VERSION 3.25)
file(READ ${CHANGELOG} _text)
if(NOT _text MATCHES "^zentaro \\(([^)]+)\\) ")
  message(FATAL_ERROR "${CHANGELOG}: the first line is no changelog entry")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
  message(FATAL_ERROR "${CHANGELOG}: the newest entry is ${CMAKE_MATCH_1}; "
                      "add one for ${VERSION}, the version in project()")
endif()
# The first trailer " -- Name <mail>  Tue, 01 Dec 2026 ..." dates the newest entry.
if(_text MATCHES "\n -- [^\n]*  [A-Z][a-z][a-z], ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9]+) ")
  set(_date "${CMAKE_MATCH_3}-${CMAKE_MATCH_2}-${CMAKE_MATCH_1}")
endif()
string(REGEX MATCH "^([0-9]+)-([0-9]+)-([0-9]+)$" _ "${DATE}")
set(_year ${CMAKE_MATCH_1})
set(_day ${CMAKE_MATCH_3})
set(_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
string(REGEX REPLACE "^0" "" _month "${CMAKE_MATCH_2}")
math(EXPR _month "${_month} - 1")
list(GET _months ${_month} _month)
if(NOT _date STREQUAL "${_year}-${_month}-${_day}")
  message(FATAL_ERROR "${CHANGELOG}: the newest entry is dated ${_date}; "
                      "the release date (ZENTARO_RELEASE_DATE) is ${DATE}")
endif()

file(MAKE_DIRECTORY ${OUT})
configure_file(${CHANGELOG} ${OUT}/changelog COPYONLY)
# -n: no name or time stamp in the archive, so that builds are reproducible.
execute_process(COMMAND ${GZIP} -9nf ${OUT}/changelog RESULT_VARIABLE _status)
if(NOT _status EQUAL 0)
  message(FATAL_ERROR "gzip ${OUT}/changelog failed")
endif()
