# Installs the build tree into PREFIX and checks that the VST library and
# the whole LV2 bundle arrived where hosts look for them.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX} RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed")
endif()
set(expected lib/vst/Brume.so lib/lv2/brume.lv2/brume_dsp.so lib/lv2/brume.lv2/manifest.ttl
             lib/lv2/brume.lv2/brume.ttl lib/lv2/brume.lv2/presets.ttl)
if(EXISTS ${BUILD}/brume.lv2/brume_ui.so)
  list(APPEND expected lib/lv2/brume.lv2/brume_ui.so)
endif()
foreach(file ${expected})
  if(NOT EXISTS ${PREFIX}/${file})
    message(FATAL_ERROR "missing after install: ${file}")
  endif()
endforeach()
message("installed: ${expected}")
