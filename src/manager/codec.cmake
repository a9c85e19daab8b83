# The codec calls encode with the FFmpeg libraries.
find_package(PkgConfig REQUIRED)
pkg_check_modules(BV_FFMPEG REQUIRED IMPORTED_TARGET libavformat libavcodec libswresample libavutil)
target_link_libraries(bv_manager PUBLIC PkgConfig::BV_FFMPEG)
