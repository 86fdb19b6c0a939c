# The program's folders as libraries in layers (src/layers.txt).
#
# Each folder becomes the static library tavrelle_<folder> ("music/mci" gives
# tavrelle_music_mci) that links, PRIVATE, only the folders the table lets it
# use. It compiles against a view of src/ made of symbolic links in the build
# folder: its own folder and the folders below it, nothing else. An include of
# a folder above it therefore fails to compile, where one include path for all
# of src/ would let it through unseen.
#
# tavrelle_core gathers every folder for the program's entry, the tests and
# the tools, which stand above all of them.

set(TAVRELLE_LAYER_VIEWS ${CMAKE_BINARY_DIR}/layer-views)
file(REMOVE_RECURSE ${TAVRELLE_LAYER_VIEWS})

function(tavrelle_layer_name folder out)
  string(REPLACE "/" "_" name "${folder}")
  set(${out} tavrelle_${name} PARENT_SCOPE)
endfunction()

# A view holding the given folders of src/ (a subfolder without its parent
# gets the parent as a plain folder holding only it).
function(tavrelle_layer_view view folders)
  foreach(folder ${folders})
    get_filename_component(parent "${folder}" DIRECTORY)
    if(parent AND "${parent}" IN_LIST folders)
      continue()
    endif()
    if(parent)
      file(MAKE_DIRECTORY ${view}/${parent})
    else()
      file(MAKE_DIRECTORY ${view})
    endif()
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${folder} ${view}/${folder} SYMBOLIC)
  endforeach()
endfunction()

# Everything outside the project the folders build against; of the libraries
# loaded when first needed, only the headers (cmake/LateLibraries.cmake).
add_library(tavrelle_external INTERFACE)
target_link_libraries(tavrelle_external INTERFACE Qt6::Core Qt6::Gui Qt6::Widgets
  PkgConfig::LIBJPEG PkgConfig::XCB PkgConfig::LIBWEBP X11::X11 tavrelle_late_headers ${CMAKE_DL_LIBS})

file(STRINGS ${CMAKE_SOURCE_DIR}/src/layers.txt layer_lines REGEX "^[a-z]")
set(TAVRELLE_FOLDERS)
set(TAVRELLE_SOURCES)
foreach(line ${layer_lines})
  if(NOT line MATCHES "^([a-z0-9/]+):(.*)$")
    message(FATAL_ERROR "src/layers.txt: cannot read the line \"${line}\"")
  endif()
  set(folder ${CMAKE_MATCH_1})
  string(STRIP "${CMAKE_MATCH_2}" uses)
  separate_arguments(uses UNIX_COMMAND "${uses}")
  tavrelle_layer_name(${folder} target)

  # What the folder sees: the folders it uses and everything they see.
  set(seen ${uses})
  foreach(use ${uses})
    if(NOT "${use}" IN_LIST TAVRELLE_FOLDERS)
      message(FATAL_ERROR "src/layers.txt: ${folder} uses ${use}, which is not listed above it")
    endif()
    tavrelle_layer_name(${use} used)
    list(APPEND seen ${TAVRELLE_LAYER_SEEN_${used}})
  endforeach()
  list(REMOVE_DUPLICATES seen)
  set(TAVRELLE_LAYER_SEEN_${target} ${seen})

  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${folder}/*.cpp ${CMAKE_SOURCE_DIR}/src/${folder}/*.h)
  if(NOT sources)
    message(FATAL_ERROR "src/layers.txt names ${folder}, which holds no source")
  endif()
  list(APPEND TAVRELLE_SOURCES ${sources})
  add_library(${target} STATIC ${sources})
  tavrelle_layer_view(${TAVRELLE_LAYER_VIEWS}/${target} "${folder};${seen}")
  target_include_directories(${target} PRIVATE ${TAVRELLE_LAYER_VIEWS}/${target})
  target_link_libraries(${target} PUBLIC tavrelle_external)
  foreach(use ${uses})
    tavrelle_layer_name(${use} used)
    target_link_libraries(${target} PRIVATE ${used})
  endforeach()
  list(APPEND TAVRELLE_FOLDERS ${folder})
endforeach()

# Every folder of src/ must have its place in the layers.
file(GLOB_RECURSE all_sources RELATIVE ${CMAKE_SOURCE_DIR}/src CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/*/*.cpp ${CMAKE_SOURCE_DIR}/src/*/*.h)
foreach(source ${all_sources})
  get_filename_component(folder "${source}" DIRECTORY)
  if(NOT "${folder}" IN_LIST TAVRELLE_FOLDERS)
    message(FATAL_ERROR "src/${source}: its folder ${folder} has no line in src/layers.txt")
  endif()
endforeach()

add_library(tavrelle_core INTERFACE)
target_include_directories(tavrelle_core INTERFACE ${CMAKE_SOURCE_DIR}/src)
foreach(folder ${TAVRELLE_FOLDERS})
  tavrelle_layer_name(${folder} target)
  target_link_libraries(tavrelle_core INTERFACE ${target})
endforeach()
