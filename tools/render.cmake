# tavrelle-render: runs transitions headless and shows or exports their frames,
# as pictures, videos or animated pictures.
find_package(ZLIB REQUIRED)
find_package(Threads REQUIRED)
pkg_check_modules(LIBDEFLATE REQUIRED IMPORTED_TARGET libdeflate)
pkg_check_modules(FFMPEG REQUIRED IMPORTED_TARGET libavformat libavcodec libswscale libswresample libavutil)
pkg_check_modules(WEBPANIM REQUIRED IMPORTED_TARGET libwebpmux libwebp)

# Everything but main() is a library, so the tests run its pieces in-process.
add_library(tavrelle_render_lib STATIC
  ${CMAKE_CURRENT_LIST_DIR}/render/RenderOptions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/render/Crc32.cpp
  ${CMAKE_CURRENT_LIST_DIR}/render/FrameWriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/render/TestCards.cpp
  ${CMAKE_CURRENT_LIST_DIR}/render/TimedHost.cpp
  ${CMAKE_CURRENT_LIST_DIR}/render/Progress.cpp
  ${CMAKE_CURRENT_LIST_DIR}/render/VideoClock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/render/OutputFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/render/VideoOutput.cpp
  ${CMAKE_CURRENT_LIST_DIR}/render/FfmpegEncoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/render/SoundTrack.cpp
  ${CMAKE_CURRENT_LIST_DIR}/render/GifPalette.cpp
  ${CMAKE_CURRENT_LIST_DIR}/render/WebpEncoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/render/GroupData.cpp
  ${CMAKE_CURRENT_LIST_DIR}/render/GroupVideo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/render/EffectDescriptions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/render/Gallery.cpp)
target_include_directories(tavrelle_render_lib PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(tavrelle_render_lib PUBLIC tavrelle_core ZLIB::ZLIB PkgConfig::LIBDEFLATE Threads::Threads
  PkgConfig::FFMPEG PkgConfig::WEBPANIM)

add_executable(tavrelle-render ${CMAKE_CURRENT_LIST_DIR}/render/main.cpp)
target_link_libraries(tavrelle-render PRIVATE tavrelle_render_lib)
target_link_options(tavrelle-render PRIVATE ${TAVRELLE_PROGRAM_LINK_OPTIONS})
