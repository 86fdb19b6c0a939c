# libFuzzer target for the metafile player; built only with -DTAVRELLE_FUZZ=ON
# and clang, e.g.
#   CXX=clang++ cmake -S . -B build-fuzz -DTAVRELLE_FUZZ=ON && cmake --build build-fuzz --target fuzz_wmf
#   ASAN_OPTIONS=detect_leaks=0 build-fuzz/fuzz_wmf -max_total_time=60 CORPUS_DIR
# (fontconfig keeps its caches until exit, which the leak check would report).
# The player's sources are compiled into the target itself so that they carry
# the fuzzer's coverage instrumentation.
if(TAVRELLE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(WARNING "fuzz_wmf needs clang (CXX=clang++); it is not built with ${CMAKE_CXX_COMPILER_ID}")
  else()
    add_executable(fuzz_wmf
      ${CMAKE_CURRENT_LIST_DIR}/fuzz/fuzz_wmf.cpp
      ${CMAKE_SOURCE_DIR}/src/pictures/WmfPlayer.cpp
      ${CMAKE_SOURCE_DIR}/src/pictures/WmfDib.cpp
      ${CMAKE_SOURCE_DIR}/src/pictures/WmfRecords.cpp
      ${CMAKE_SOURCE_DIR}/src/pictures/PictureLoader.cpp)
    target_include_directories(fuzz_wmf PRIVATE ${CMAKE_SOURCE_DIR}/src)
    target_compile_options(fuzz_wmf PRIVATE -fsanitize=fuzzer,address,undefined -fno-omit-frame-pointer)
    target_link_options(fuzz_wmf PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(fuzz_wmf PRIVATE Qt6::Core Qt6::Gui)
  endif()
endif()
