bv_add_test(NAME trackmanager_library_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/TrackManagerLibraryTest.cpp
  LIBS bv_audio_fixtures bv_manager)
