bv_add_test(NAME bv_manager_card_files_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/UploadNamesTest.cpp ${CMAKE_CURRENT_LIST_DIR}/TrackFileCopyTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DriveSpaceTest.cpp
  LIBS bv_audio_fixtures bv_manager)
