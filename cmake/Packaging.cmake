# cpack -G DEB in build/linux: one Debian package with every format,
# /usr/lib/vst/Brume.so, /usr/lib/vst3/Brume.vst3/ and
# /usr/lib/lv2/brume.lv2/. dpkg-shlibdeps (dpkg-dev) states the libraries
# the plug-in needs as dependencies.
if(WIN32 OR CMAKE_CROSSCOMPILING)
  return()
endif()
set(CPACK_PACKAGE_NAME brume)
set(CPACK_PACKAGE_VENDOR Orvendale)
set(CPACK_PACKAGE_CONTACT "Orvendale <brume@orvendale.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Brume: stereo multi-effect audio plug-in (VST 2.4, VST3 and LV2)")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
