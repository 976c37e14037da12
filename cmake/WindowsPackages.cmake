# The Windows release artefacts, built with the plug-ins in the win64 tree:
#   Brume-<version>-win64.zip        the three formats in their folder layout,
#                                    the factory programs as state files
#   Brume-<version>-win64-setup.exe  the NSIS installer (where makensis exists)
if(NOT TARGET Brume OR NOT TARGET BrumeVst3 OR NOT TARGET BrumeClap)
  return()
endif()
set(win_dir ${PROJECT_SOURCE_DIR}/packaging/windows)
# The factory programs as state files, for hosts that open such a file.
file(GLOB presets ${PROJECT_SOURCE_DIR}/resources/presets/*.brume)
set(vst3_module ${CMAKE_BINARY_DIR}/Brume.vst3/Contents/x86_64-win/Brume.vst3)
set(BRUME_WIN64_ZIP ${CMAKE_BINARY_DIR}/Brume-${PROJECT_VERSION}-win64.zip)
set(BRUME_WIN64_SETUP ${CMAKE_BINARY_DIR}/Brume-${PROJECT_VERSION}-win64-setup.exe)

# Windows line ends: the text is read in Notepad.
set(readme ${CMAKE_BINARY_DIR}/packaging/README.txt)
configure_file(${win_dir}/README.txt.in ${readme} @ONLY NEWLINE_STYLE WIN32)
set(stage ${CMAKE_BINARY_DIR}/packaging/Brume-${PROJECT_VERSION}-win64)
add_custom_command(OUTPUT ${BRUME_WIN64_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}/VST2 ${stage}/VST3/Brume.vst3/Contents/x86_64-win
          ${stage}/CLAP ${stage}/Presets
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Brume> ${stage}/VST2/
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:BrumeClap> ${stage}/CLAP/
  COMMAND ${CMAKE_COMMAND} -E copy ${presets} ${stage}/Presets/
  COMMAND ${CMAKE_COMMAND} -E copy ${vst3_module} ${stage}/VST3/Brume.vst3/Contents/x86_64-win/
  COMMAND ${CMAKE_COMMAND} -E copy ${readme} ${stage}/README.txt
  COMMAND ${CMAKE_COMMAND} -E tar cf ${BRUME_WIN64_ZIP} --format=zip Brume-${PROJECT_VERSION}-win64
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/packaging
  DEPENDS Brume BrumeVst3 BrumeClap ${readme} ${presets}
  COMMENT "Packing Brume-${PROJECT_VERSION}-win64.zip" VERBATIM)
set(outputs ${BRUME_WIN64_ZIP})

find_program(KESTREL_MAKENSIS makensis)
if(KESTREL_MAKENSIS)
  add_custom_command(OUTPUT ${BRUME_WIN64_SETUP}
    COMMAND ${KESTREL_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DBUILD=${CMAKE_BINARY_DIR}
            -DOUTFILE=${BRUME_WIN64_SETUP} "-DCOPYRIGHT=${KESTREL_COPYRIGHT}" ${win_dir}/Brume.nsi
    DEPENDS Brume BrumeVst3 BrumeClap ${win_dir}/Brume.nsi ${win_dir}/Brume.ico
    COMMENT "Building Brume-${PROJECT_VERSION}-win64-setup.exe" VERBATIM)
  list(APPEND outputs ${BRUME_WIN64_SETUP})
else()
  set(BRUME_WIN64_SETUP "")
  message(STATUS "No Windows installer: makensis not found (scripts/install-deps.sh windows installs NSIS)")
endif()
add_custom_target(brume_win64_packages ALL DEPENDS ${outputs})
