# The main window, its frame and its tables (included from display/CMakeLists.txt).

target_sources(cantrel_display PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/UMainActions.h ${CMAKE_CURRENT_LIST_DIR}/UMainActions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UActiveText.h ${CMAKE_CURRENT_LIST_DIR}/UFrameHost.h
  ${CMAKE_CURRENT_LIST_DIR}/USkinImage.h ${CMAKE_CURRENT_LIST_DIR}/USkinImage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UWinampSkin.h ${CMAKE_CURRENT_LIST_DIR}/UWinampSkin.cpp
  ${CMAKE_CURRENT_LIST_DIR}/USceneLook.h ${CMAKE_CURRENT_LIST_DIR}/USceneLook.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UMain.h ${CMAKE_CURRENT_LIST_DIR}/UMain.cpp)
qt_add_resources(cantrel_display "skin" PREFIX "/" BASE ${CMAKE_CURRENT_LIST_DIR}
  FILES ${CMAKE_CURRENT_LIST_DIR}/skin/ModernSkin.png)

# The GUI tests run natively under Xvfb; the Windows build's program is tested whole under Wine instead.
if(CMAKE_CROSSCOMPILING)
  return()
endif()
find_package(Qt6 REQUIRED COMPONENTS Test)
cantrel_add_test(main_window_tests LABEL gui
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/MainActionsTest.cpp ${CMAKE_CURRENT_LIST_DIR}/tests/WASkinTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tests/MainWindowTest.cpp ${CMAKE_CURRENT_LIST_DIR}/tests/LeakSuppressions.cpp
    ${CMAKE_SOURCE_DIR}/lyrics/tests/Fixtures.cpp
  LIBS cantrel_display cantrel_platform_fake cantrel_fake_agent Qt6::Test
  TIMEOUT 300)
# The preferences dialog and the visualization in the running main window.
cantrel_add_test(preferences_window_tests LABEL gui
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/PreferencesWindowTest.cpp ${CMAKE_CURRENT_LIST_DIR}/tests/LeakSuppressions.cpp
  LIBS cantrel_display cantrel_platform_fake cantrel_fake_agent Qt6::Test
  TIMEOUT 300)

# The main window with the real search agent program, against local web servers (cpp-httplib).
find_package(PkgConfig QUIET)
if(PKG_CONFIG_FOUND)
  pkg_check_modules(MAIN_WINDOW_HTTPLIB QUIET IMPORTED_TARGET cpp-httplib)
endif()
if(MAIN_WINDOW_HTTPLIB_FOUND AND TARGET CantrelAgent AND NOT WIN32)
  cantrel_add_test(main_window_agent_e2e_tests LABEL e2e
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/AgentWindowTest.cpp ${CMAKE_CURRENT_LIST_DIR}/tests/LeakSuppressions.cpp
    LIBS cantrel_display cantrel_platform_fake Qt6::Test PkgConfig::MAIN_WINDOW_HTTPLIB
    TIMEOUT 120)
  add_dependencies(main_window_agent_e2e_tests CantrelAgent)
  target_compile_definitions(main_window_agent_e2e_tests PRIVATE
    AGENT_PROGRAM_PATH="$<TARGET_FILE:CantrelAgent>")
endif()

# The submit action, its indicator and the submission dialog against a local lyric database.
if(MAIN_WINDOW_HTTPLIB_FOUND AND NOT WIN32)
  find_package(OpenSSL REQUIRED COMPONENTS SSL Crypto)
  cantrel_add_test(main_window_submit_e2e_tests LABEL e2e
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/MainWindowSubmitTest.cpp ${CMAKE_CURRENT_LIST_DIR}/tests/LeakSuppressions.cpp
    LIBS cantrel_display cantrel_platform_fake cantrel_fake_agent Qt6::Test PkgConfig::MAIN_WINDOW_HTTPLIB
      OpenSSL::SSL OpenSSL::Crypto
    TIMEOUT 120)
endif()

# The main window with the player session on a private session bus and a fake MPRIS player (Linux).
if(TARGET cantrel_platform_e2e)
  cantrel_add_test(main_window_e2e_tests LABEL e2e
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/MainWindowBusTest.cpp ${CMAKE_CURRENT_LIST_DIR}/tests/LeakSuppressions.cpp
    LIBS cantrel_display cantrel_platform_fake cantrel_fake_agent cantrel_platform_e2e Qt6::Test
    TIMEOUT 120)
endif()
