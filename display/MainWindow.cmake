# The main window, its frame and its tables (included from display/CMakeLists.txt).
target_sources(cantrel_display PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/UMainActions.h ${CMAKE_CURRENT_LIST_DIR}/UMainActions.cpp)

cantrel_add_test(main_window_tests LABEL gui
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/MainActionsTest.cpp
  LIBS cantrel_display)
