# The plug-in is where the README and the hosts' scan paths expect it:
# build/<preset>/Brume.so, and that file exists.
#   cmake -DBUILT=<file the target produces> -DEXPECTED=<promised path> -P CheckPluginPath.cmake
if(NOT BUILT STREQUAL EXPECTED)
  message(FATAL_ERROR "the plug-in is built as ${BUILT}, not ${EXPECTED}")
endif()
if(NOT EXISTS "${EXPECTED}")
  message(FATAL_ERROR "no plug-in at ${EXPECTED}")
endif()
message(STATUS "plug-in at ${EXPECTED}")
