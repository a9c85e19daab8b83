bv_add_fuzz(NAME bv_manager_startup_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/StartupFuzz.cpp
  LIBS bv_manager
  CORPUS ${CMAKE_SOURCE_DIR}/fuzz/corpus/bv_manager_startup_fuzz
  DICT ${CMAKE_SOURCE_DIR}/fuzz/dict/bv_manager_startup_fuzz.dict
  SECONDS 15)
