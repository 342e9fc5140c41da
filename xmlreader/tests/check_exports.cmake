# Fails unless the library's dynamic symbol table defines exactly the interface functions.
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
                OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
set(expected
  Close_Caprel GetAttributeValue_Caprel GetElementLineCount_Caprel GetElementLine_Caprel
  GetElementName_Caprel GetFirstChildElement_Caprel GetFirstNamedChildElement_Caprel
  GetLastError_Caprel GetNextChildElement_Caprel GetNextNamedChildElement_Caprel
  GetRootElement_Caprel GetVersion_Caprel IsOpen_Caprel Open_Caprel RegisterHWND_Caprel)
string(REPLACE "\n" ";" lines "${listing}")
set(found)
foreach(line IN LISTS lines)
  if(line MATCHES "^[0-9a-fA-F]* *[A-Za-z] ([^ ]+)$")
    list(APPEND found ${CMAKE_MATCH_1})
  endif()
endforeach()
list(SORT found)
list(SORT expected)
if(NOT found STREQUAL expected)
  message(FATAL_ERROR "Exported symbols differ.\nExpected: ${expected}\nFound: ${found}")
endif()
message(STATUS "Exactly the interface functions are exported")
