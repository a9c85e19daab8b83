if(NOT TARGET bv_audio_fixtures)
  add_library(bv_audio_fixtures STATIC ${CMAKE_SOURCE_DIR}/tests/support/AudioFixtures.cpp)
  target_include_directories(bv_audio_fixtures PUBLIC ${CMAKE_SOURCE_DIR}/tests/support)
  target_link_libraries(bv_audio_fixtures PUBLIC bv_manager)
endif()

bv_add_test(NAME trackmanager_update_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/TrackManagerUpdateTest.cpp
  LIBS bv_audio_fixtures bv_manager
  TSAN TIMEOUT 300)
# A child program that stands in for the encoder where a test needs one that behaves
# in a particular way.
add_dependencies(trackmanager_update_tests bv_child_helper)
target_compile_definitions(trackmanager_update_tests PRIVATE
  BV_CHILD_HELPER="$<TARGET_FILE:bv_child_helper>")
