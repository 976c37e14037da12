# Windows version information for the plug-in libraries: company, product,
# the project's version (project(VERSION) at the top) and copyright, from
# packaging/windows/version.rc.in.
set(KESTREL_COMPANY Orvendale)
set(KESTREL_PRODUCT Brume)
set(KESTREL_COPYRIGHT "Copyright (C) 2026 Orvendale")

# kestrel_add_version_resource(<target> <file name> <description>)
function(kestrel_add_version_resource target file_name description)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
