bv_add_bench(NAME bv_card_read_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/CardReadBench.cpp
  LIBS bv_manager bv_bench_heap)
