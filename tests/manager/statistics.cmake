bv_add_test(NAME trackmanager_statistics_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/TrackManagerStatisticsTest.cpp
  LIBS bv_audio_fixtures bv_manager)
