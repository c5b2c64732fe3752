# cmake -DARCHIVE=<cantrel-windows.zip> -P CheckPackage.cmake: fails unless the archive holds every file a
# user needs, at the archive's top level.
if(NOT EXISTS "${ARCHIVE}")
  message(FATAL_ERROR "${ARCHIVE} does not exist (make it with: cmake --build <build> --target package)")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf "${ARCHIVE}" OUTPUT_VARIABLE listing RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cannot list ${ARCHIVE}")
endif()
set(missing)
foreach(file cantrel.exe tl_plugin.dll README.txt Cantrel/charset_english14.gsf Cantrel/charset_english22.gsf
    Cantrel/charset_centraleurope14.gsf Cantrel/charset_russian22.gsf Cantrel/charset_greek14.gsf
    Cantrel/CantrelAgent.exe Cantrel/Filters.ini)
  string(FIND "\n${listing}" "\n${file}\n" at)
  if(at EQUAL -1)
    list(APPEND missing ${file})
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "${ARCHIVE} lacks: ${missing}\n${listing}")
endif()
message(STATUS "${ARCHIVE}:\n${listing}")
