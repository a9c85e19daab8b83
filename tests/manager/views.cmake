bv_add_test(NAME trackmanager_views_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/TrackManagerViewStateTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/TrackManagerHintsTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/TrackManagerFileNamesTest.cpp
  LIBS bv_audio_fixtures bv_manager)
