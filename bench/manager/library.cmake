bv_add_bench(NAME bv_manager_library_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/LibraryBench.cpp
  LIBS bv_manager)
