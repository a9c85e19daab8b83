bv_add_test(NAME trackmanager_deleted_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/TrackManagerDeletedTest.cpp
  LIBS bv_manager)
