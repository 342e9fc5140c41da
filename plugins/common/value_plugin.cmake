# Shared build of the value plug-ins. Included by each plug-in's CMakeLists.txt; the common code
# is added once, whichever plug-in comes first.
set(KELVANE_PLUGIN_COMMON_DIR ${CMAKE_CURRENT_LIST_DIR})
if(NOT TARGET kelvane_plugin_common)
  add_subdirectory(${KELVANE_PLUGIN_COMMON_DIR} ${CMAKE_BINARY_DIR}/plugins/common)
endif()

# The eleven functions every value plug-in exports, after its prefix.
set(KELVANE_PLUGIN_FUNCTIONS
  GetLastError GetAlgorithmCount GetAlgorithmName GetAlgorithmByName Open Close
  GetInitialValueString Parse GetOverlaySize Overlay GetNextValueString)

# kelvane_value_plugin(target PREFIX Serializer SOURCES a.cpp ...): a plug-in library that
# exports exactly <PREFIX>_<function> for the eleven functions and nothing else, with a test that
# checks its dynamic symbol table.
function(kelvane_value_plugin target)
  cmake_parse_arguments(ARG "" "PREFIX" "SOURCES" ${ARGN})
  add_library(${target} SHARED ${ARG_SOURCES})
  target_include_directories(${target} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include)
  target_link_libraries(${target} PRIVATE kelvane_plugin_common)
  kelvane_warnings(${target})

  set(symbols "")
  set(expected "")
  foreach(function IN LISTS KELVANE_PLUGIN_FUNCTIONS)
    string(APPEND symbols "    ${ARG_PREFIX}_${function};\n")
    list(APPEND expected ${ARG_PREFIX}_${function})
  endforeach()
  set(map ${CMAKE_CURRENT_BINARY_DIR}/${target}.map)
  file(WRITE ${map} "{\n  global:\n${symbols}  local:\n    *;\n};\n")
  target_link_options(${target} PRIVATE "LINKER:--version-script=${map}")
  set_target_properties(${target} PROPERTIES LINK_DEPENDS ${map})

  find_program(KELVANE_NM nm)
  if(KELVANE_TESTS AND KELVANE_NM)
    string(REPLACE ";" "," expected "${expected}")
    add_test(NAME ${target}_exports_only_interface
             COMMAND ${CMAKE_COMMAND} -DNM=${KELVANE_NM} -DLIBRARY=$<TARGET_FILE:${target}>
                     -DEXPECTED=${expected} -P ${KELVANE_PLUGIN_COMMON_DIR}/check_exports.cmake)
  endif()
endfunction()
