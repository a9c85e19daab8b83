bv_add_bench(NAME bv_manager_list_commands_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ListCommandsBench.cpp
  LIBS bv_manager)
