bv_add_bench(NAME bv_manager_core_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/TrackManagerCoreBench.cpp
  LIBS bv_manager)
