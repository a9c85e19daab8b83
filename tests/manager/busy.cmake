if(NOT TARGET bv_audio_fixtures)
  add_library(bv_audio_fixtures STATIC ${CMAKE_SOURCE_DIR}/tests/support/AudioFixtures.cpp)
  target_include_directories(bv_audio_fixtures PUBLIC ${CMAKE_SOURCE_DIR}/tests/support)
  target_link_libraries(bv_audio_fixtures PUBLIC bv_manager)
endif()

bv_add_test(NAME trackmanager_busy_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/TrackManagerBusyTest.cpp
  LIBS bv_audio_fixtures bv_manager
  TSAN TIMEOUT 300)
