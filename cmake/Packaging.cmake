# cpack -G DEB in build/linux: one Debian package with every format,
# /usr/lib/vst/Brume.so, /usr/lib/vst3/Brume.vst3/, /usr/lib/lv2/brume.lv2/
# and /usr/lib/clap/Brume.clap, and the presets in /usr/share/brume/presets/. dpkg-shlibdeps (dpkg-dev) states the libraries
# the plug-in needs as dependencies.
if(WIN32 OR CMAKE_CROSSCOMPILING)
  return()
endif()
set(CPACK_PACKAGE_NAME brume)
set(CPACK_PACKAGE_VENDOR Orvendale)
set(CPACK_PACKAGE_CONTACT "Orvendale <brume@orvendale.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Brume: stereo multi-effect audio plug-in (VST 2.4, VST3, LV2 and CLAP)")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# CPack gives any package with a shared object under /usr/lib maintainer
# scripts that run ldconfig; plug-ins are loaded by path and need no linker
# cache. Scripts of our own that do nothing take their place.
foreach(script postinst postrm)
  file(WRITE ${CMAKE_BINARY_DIR}/debian/${script}
       "#!/bin/sh\n# Brume's plug-ins are loaded by hosts from their folders: nothing to do.\nset -e\nexit 0\n")
  file(CHMOD ${CMAKE_BINARY_DIR}/debian/${script} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
       GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  list(APPEND CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/debian/${script})
endforeach()
include(CPack)
