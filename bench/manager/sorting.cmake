bv_add_bench(NAME bv_manager_sort_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/SortMediaDBBench.cpp
  LIBS bv_manager)
