# vellox_core_library(NAME DIR): one static library from every *.cc in DIR.
# A folder whose sources are still to come gets an empty translation unit, so
# the targets that link it can be declared from the start.
function(vellox_core_library name dir)
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cc)
  if(NOT sources)
    set(sources ${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cc)
    file(WRITE ${sources} "// ${name} has no sources yet.\n")
  endif()
  add_library(${name} STATIC ${sources} ${ARGN})
endfunction()
