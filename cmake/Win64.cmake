# Windows x64 cross build: the static libpng built from Debian's source
# package, the libraries' version resources, and Wine as the emulator that
# runs every test program.

enable_language(RC)
include(${CMAKE_CURRENT_LIST_DIR}/VersionResource.cmake)

# --- libpng and zlib -------------------------------------------------------
# Debian has a static zlib for mingw but no libpng: scripts/build-libpng-mingw.sh
# builds one into the build tree the first time a win64 tree is configured.
set(KESTREL_WIN64_DEPS_DIR "${PROJECT_SOURCE_DIR}/build/win64-deps"
    CACHE PATH "Where the Windows dependencies built from Debian sources are cached")
set(_kestrel_libpng "${KESTREL_WIN64_DEPS_DIR}/libpng")
if(NOT EXISTS "${_kestrel_libpng}/.complete")
  message(STATUS "Building libpng for mingw into ${KESTREL_WIN64_DEPS_DIR}")
  execute_process(
    COMMAND bash "${PROJECT_SOURCE_DIR}/scripts/build-libpng-mingw.sh" "${KESTREL_WIN64_DEPS_DIR}"
    RESULT_VARIABLE _kestrel_libpng_result)
  if(NOT _kestrel_libpng_result EQUAL 0)
    message(FATAL_ERROR "libpng for mingw could not be built (scripts/build-libpng-mingw.sh)")
  endif()
endif()
# Named explicitly: a search would prefer zlib's import library libz.dll.a,
# which would make the plug-in depend on zlib1.dll.
set(ZLIB_LIBRARY "/usr/${KESTREL_MINGW_PREFIX}/lib/libz.a" CACHE FILEPATH "Static zlib for mingw")
set(ZLIB_INCLUDE_DIR "/usr/${KESTREL_MINGW_PREFIX}/include" CACHE PATH "zlib headers for mingw")
set(PNG_LIBRARY "${_kestrel_libpng}/lib/libpng16.a" CACHE FILEPATH "Static libpng for mingw")
set(PNG_PNG_INCLUDE_DIR "${_kestrel_libpng}/include" CACHE PATH "libpng headers for mingw")

# --- Wine as the test emulator ----------------------------------------------
find_program(KESTREL_WINE NAMES wine wine64 PATHS /usr/lib/wine)
if(KESTREL_WINE)
  set(KESTREL_WINEPREFIX "${CMAKE_BINARY_DIR}/wine-prefix")
  set(KESTREL_WINE_PREFIX_SCRIPT "${PROJECT_SOURCE_DIR}/scripts/wine-prefix.sh")
  configure_file("${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in" "${CMAKE_BINARY_DIR}/wine-run.sh"
                 @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
                 GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_BINARY_DIR}/wine-run.sh")
else()
  message(WARNING "wine not found: the Windows test programs build but cannot run "
                  "(scripts/install-deps.sh windows installs it)")
endif()
