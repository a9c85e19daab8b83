bv_add_bench(NAME bv_manager_sort_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/SortMediaDBBench.cpp
  LIBS bv_manager)
# Until the media library is built its view refresh is a stand-in.
if(TARGET bv_manager_sort_bench AND NOT EXISTS ${CMAKE_SOURCE_DIR}/src/manager/TrackManagerLibrary.cpp)
  target_sources(bv_manager_sort_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests/manager/PendingLibraryView.cpp)
endif()
