# libFuzzer targets, built only with -DTAVRELLE_FUZZ=ON and clang (`make fuzz`
# does both and runs them; see scripts/fuzz.sh):
#   fuzz_wmf            the metafile player
#   fuzz_pictures       the picture loader, every format
#   fuzz_data_files     the settings, list, schedule and INI readers
#   fuzz_music_commands the music command-string parser
# Each target compiles the sources it tests itself, so that they carry the
# fuzzer's coverage instrumentation; sources are found by name wherever they
# live under src/. The seed corpus comes from tavrelle-fuzz-seeds of the
# ordinary build, which writes with the tests' own writers.
add_executable(tavrelle-fuzz-seeds ${CMAKE_CURRENT_LIST_DIR}/fuzz/seeds.cpp)
target_link_libraries(tavrelle-fuzz-seeds PRIVATE tavrelle_core tavrelle_test_media)

if(TAVRELLE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(WARNING "the fuzz targets need clang (CXX=clang++); they are not built with ${CMAKE_CXX_COMPILER_ID}")
  else()
    function(tavrelle_fuzz_target name)
      set(sources ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/fuzz/${name}.cpp)
      foreach(unit ${ARGN})
        file(GLOB_RECURSE found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*/${unit}.cpp)
        if(NOT found)
          message(FATAL_ERROR "${name}: no source ${unit}.cpp under src/")
        endif()
        list(APPEND sources ${found})
      endforeach()
      if(name STREQUAL "fuzz_wmf" OR name STREQUAL "fuzz_pictures")
        # The loader reaches every decoder of the pictures folder.
        file(GLOB decoders CONFIGURE_DEPENDS
          ${CMAKE_SOURCE_DIR}/src/pictures/*.cpp ${CMAKE_SOURCE_DIR}/src/base/*.cpp)
        list(APPEND sources ${decoders})
      endif()
      list(REMOVE_DUPLICATES sources)
      add_executable(${name} ${sources})
      target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src)
      target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined -fno-omit-frame-pointer)
      target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
      target_link_libraries(${name} PRIVATE Qt6::Core Qt6::Gui PkgConfig::LIBHEIF PkgConfig::LIBJPEG
        PkgConfig::LIBWEBP PkgConfig::LIBDE265)
      # The late libraries' names (cmake/LateLibraries.cmake) are given to their
      # sources in the top folder only; a target of this folder gives them itself.
      target_compile_definitions(${name} PRIVATE TAVRELLE_SONAME_HEIF="${TAVRELLE_SONAME_HEIF}"
        TAVRELLE_SONAME_DE265="${TAVRELLE_SONAME_DE265}")
      add_dependencies(fuzz_targets ${name})
    endfunction()
    add_custom_target(fuzz_targets)
    set(METAFILE_UNITS WmfPlayer WmfDib WmfRecords PictureLoader)
    tavrelle_fuzz_target(fuzz_wmf ${METAFILE_UNITS})
    tavrelle_fuzz_target(fuzz_pictures ${METAFILE_UNITS})
    tavrelle_fuzz_target(fuzz_data_files SettingsRecord ScheduleFile PictureListFile IniFile AtomicFile Text
                         SharedState SettingsModel Settings)
    tavrelle_fuzz_target(fuzz_music_commands MciCommand MciErrors Text)
  endif()
endif()
