bv_add_bench(NAME bv_manager_copy_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/TrackFileCopyBench.cpp
  LIBS bv_manager)
