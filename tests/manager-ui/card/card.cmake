# The card commands through the main window, offscreen, with real input and the real encoder.
if(NOT TARGET bv_audio_fixtures)
  add_library(bv_audio_fixtures STATIC ${CMAKE_SOURCE_DIR}/tests/support/AudioFixtures.cpp)
  target_include_directories(bv_audio_fixtures PUBLIC ${CMAKE_SOURCE_DIR}/tests/support)
  target_link_libraries(bv_audio_fixtures PUBLIC bv_manager)
endif()
bv_add_test(NAME manager_ui_card_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MainCardGuiTest.cpp
          ${CMAKE_SOURCE_DIR}/tests/gui/GuiTestEnvironment.cpp
  LIBS bv_manager_ui bv_audio_fixtures Qt6::Test
  TIMEOUT 600)
target_include_directories(manager_ui_card_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/gui
  ${CMAKE_SOURCE_DIR}/tests/manager-ui
  ${CMAKE_SOURCE_DIR}/src/manager)
set_tests_properties(manager_ui_card_tests PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
