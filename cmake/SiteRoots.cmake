# Turns the roots file (`Name = value` lines) into the built-in SiteRoots constants.
set(_vellox_root_names
    ResourceSiteRoot1 ResourceSiteRoot2 ResourceSiteRoot3 ResourceSiteRoot4 ResourceSiteRoot5
    ResourceSiteRoot6 ProSearchRoot WebSearchRoot CloudDiskRoot InsiteHosts NoticePageUrl
    UpdatePageUrl)

if(NOT EXISTS "${VELLOX_SITE_ROOTS}")
  message(FATAL_ERROR "VELLOX_SITE_ROOTS: no such file: ${VELLOX_SITE_ROOTS}")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${VELLOX_SITE_ROOTS}")

foreach(_name IN LISTS _vellox_root_names)
  set(_root_${_name} "")
endforeach()

file(STRINGS "${VELLOX_SITE_ROOTS}" _root_lines)
set(_line_number 0)
foreach(_line IN LISTS _root_lines)
  math(EXPR _line_number "${_line_number} + 1")
  string(STRIP "${_line}" _line)
  if(_line STREQUAL "" OR _line MATCHES "^#")
    continue()
  endif()
  string(FIND "${_line}" "=" _eq)
  if(_eq LESS 0)
    message(FATAL_ERROR "${VELLOX_SITE_ROOTS}:${_line_number}: expected Name = value")
  endif()
  string(SUBSTRING "${_line}" 0 ${_eq} _name)
  math(EXPR _value_start "${_eq} + 1")
  string(SUBSTRING "${_line}" ${_value_start} -1 _value)
  string(STRIP "${_name}" _name)
  string(STRIP "${_value}" _value)
  if(NOT _name IN_LIST _vellox_root_names)
    message(FATAL_ERROR "${VELLOX_SITE_ROOTS}:${_line_number}: unknown name '${_name}'")
  endif()
  string(REPLACE "\\" "\\\\" _value "${_value}")
  string(REPLACE "\"" "\\\"" _value "${_value}")
  set(_root_${_name} "${_value}")
endforeach()

set(VELLOX_ROOTS_INITIALISERS "")
foreach(_name IN LISTS _vellox_root_names)
  string(APPEND VELLOX_ROOTS_INITIALISERS "  roots.${_name} = \"${_root_${_name}}\";\n")
endforeach()
configure_file("${CMAKE_CURRENT_LIST_DIR}/site_roots_builtin.cc.in"
               "${CMAKE_CURRENT_BINARY_DIR}/generated/site_roots_builtin.cc" @ONLY)
