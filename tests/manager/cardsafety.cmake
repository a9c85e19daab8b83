if(NOT TARGET bv_audio_fixtures)
  add_library(bv_audio_fixtures STATIC ${CMAKE_SOURCE_DIR}/tests/support/AudioFixtures.cpp)
  target_include_directories(bv_audio_fixtures PUBLIC ${CMAKE_SOURCE_DIR}/tests/support)
  target_link_libraries(bv_audio_fixtures PUBLIC bv_manager)
endif()

# The card and the library under links, changed files, bad encoders, kills and a second
# process. The kill and two-process tests run updates in a child program of their own.
bv_add_test(NAME trackmanager_cardsafety_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/TrackManagerCardSafetyTest.cpp
  LIBS bv_audio_fixtures bv_manager
  TSAN TIMEOUT 600)
add_executable(bv_update_child ${CMAKE_CURRENT_LIST_DIR}/UpdateChild.cpp)
target_link_libraries(bv_update_child PRIVATE bv_manager)
add_dependencies(trackmanager_cardsafety_tests bv_update_child)
target_compile_definitions(trackmanager_cardsafety_tests PRIVATE
  BV_UPDATE_CHILD="$<TARGET_FILE:bv_update_child>")
