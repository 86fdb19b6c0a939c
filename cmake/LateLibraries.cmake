# The libraries the program loads when first needed (src/base/LateLibrary.h)
# instead of at start: SDL, SDL_mixer and libcdio at the first sound or disc,
# libheif and libde265 at the first HEIF picture. The folders compile against
# their headers and link none of them; the source that defines each family's
# forwarding functions gets the names the libraries are loaded by (their
# SONAMEs), read from the very files pkg-config names. The Debian package
# depends on the packages holding those files, as dpkg-shlibdeps no longer
# sees them (TAVRELLE_LATE_DEPENDS, read by packaging/Package.cmake).

# Headers and compile flags of the libraries, without their link libraries.
add_library(tavrelle_late_headers INTERFACE)
foreach(module SDL2MIXER LIBCDIO LIBHEIF LIBDE265)
  foreach(property INTERFACE_INCLUDE_DIRECTORIES INTERFACE_COMPILE_OPTIONS INTERFACE_COMPILE_DEFINITIONS)
    get_target_property(value PkgConfig::${module} ${property})
    if(value)
      set_property(TARGET tavrelle_late_headers APPEND PROPERTY ${property} ${value})
    endif()
  endforeach()
endforeach()

set(TAVRELLE_LATE_DEPENDS)
find_program(TAVRELLE_DPKG_QUERY dpkg-query)

# Sets TAVRELLE_SONAME_<var> to the SONAME of lib<name>.so among the link
# libraries of pkg-config module <module>, and adds the Debian package holding
# the library to TAVRELLE_LATE_DEPENDS, with the least version its shlibs file
# asks of programs linked against it; without dpkg, Debian 12's <package>.
function(tavrelle_late_library var module name package)
  set(file "")
  foreach(candidate ${${module}_LINK_LIBRARIES})
    get_filename_component(candidate_name "${candidate}" NAME)
    if(candidate_name STREQUAL "lib${name}.so")
      set(file ${candidate})
    endif()
  endforeach()
  if(NOT file)
    message(FATAL_ERROR "pkg-config's ${module} names no lib${name}.so (${${module}_LINK_LIBRARIES})")
  endif()
  execute_process(COMMAND ${CMAKE_OBJDUMP} -p ${file} OUTPUT_VARIABLE dump RESULT_VARIABLE failed ERROR_QUIET)
  if(failed OR NOT dump MATCHES "\n *SONAME +([^\n ]+)")
    message(FATAL_ERROR "Cannot read the SONAME of ${file} with \"${CMAKE_OBJDUMP} -p\"; "
                        "the program loads the library by that name")
  endif()
  set(soname ${CMAKE_MATCH_1})
  set(TAVRELLE_SONAME_${var} ${soname} PARENT_SCOPE)

  set(depends ${package})
  get_filename_component(folder ${file} DIRECTORY)
  if(TAVRELLE_DPKG_QUERY)
    execute_process(COMMAND ${TAVRELLE_DPKG_QUERY} -S ${folder}/${soname}
      OUTPUT_VARIABLE owner RESULT_VARIABLE failed ERROR_QUIET)
    if(NOT failed AND owner MATCHES "^([^:, ]+)")
      set(depends ${CMAKE_MATCH_1})
      execute_process(COMMAND ${TAVRELLE_DPKG_QUERY} --control-show ${depends} shlibs
        OUTPUT_VARIABLE shlibs ERROR_QUIET)
      # A line of the shlibs file: library name, its version, the dependency.
      string(REGEX MATCH "^(.+)\\.so\\.(.+)$" parts ${soname})
      set(key "${CMAKE_MATCH_1} ${CMAKE_MATCH_2} ")
      string(REPLACE "\n" ";" lines "${shlibs}")
      foreach(line ${lines})
        string(FIND "${line}" "${key}" at)
        if(at EQUAL 0)
          string(LENGTH "${key}" length)
          string(SUBSTRING "${line}" ${length} -1 depends)
        endif()
      endforeach()
    else()
      message(STATUS "${folder}/${soname} belongs to no Debian package: the package depends on ${package}")
    endif()
  endif()
  list(APPEND TAVRELLE_LATE_DEPENDS "${depends}")
  set(TAVRELLE_LATE_DEPENDS ${TAVRELLE_LATE_DEPENDS} PARENT_SCOPE)
  message(STATUS "Loaded when needed: ${soname} (${depends})")
endfunction()

tavrelle_late_library(SDL2 SDL2MIXER SDL2 libsdl2-2.0-0)
tavrelle_late_library(SDL2_MIXER SDL2MIXER SDL2_mixer libsdl2-mixer-2.0-0)
tavrelle_late_library(CDIO LIBCDIO cdio libcdio19)
tavrelle_late_library(HEIF LIBHEIF heif libheif1)
tavrelle_late_library(DE265 LIBDE265 de265 libde265-0)

set_property(SOURCE ${CMAKE_SOURCE_DIR}/src/music/mci/SoundLibraries.cpp APPEND PROPERTY COMPILE_DEFINITIONS
  TAVRELLE_SONAME_SDL2="${TAVRELLE_SONAME_SDL2}" TAVRELLE_SONAME_SDL2_MIXER="${TAVRELLE_SONAME_SDL2_MIXER}"
  TAVRELLE_SONAME_CDIO="${TAVRELLE_SONAME_CDIO}")
set_property(SOURCE ${CMAKE_SOURCE_DIR}/src/pictures/HeifLibraries.cpp APPEND PROPERTY COMPILE_DEFINITIONS
  TAVRELLE_SONAME_HEIF="${TAVRELLE_SONAME_HEIF}" TAVRELLE_SONAME_DE265="${TAVRELLE_SONAME_DE265}")
