bv_add_fuzz(NAME bv_m4a_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/M4aFileFuzz.cpp
  LIBS bv_manager
  CORPUS ${CMAKE_SOURCE_DIR}/fuzz/corpus/bv_m4a_fuzz
  DICT ${CMAKE_SOURCE_DIR}/fuzz/dict/bv_m4a_fuzz.dict
  SECONDS 20)
