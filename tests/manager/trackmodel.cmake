bv_add_test(NAME trackmodel_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/TrackModelTest.cpp
  LIBS bv_manager
  TSAN)
