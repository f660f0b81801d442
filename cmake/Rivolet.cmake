# Helpers shared by the folders' CMakeLists.
#
# Every .cpp of a source or test folder is named in exactly one list of its
# folder's CMakeLists: the core list (plain C++, never Qt) or the windows'
# list (Qt). Nothing is sorted by file name. rivolet_check_build_rules(), run
# at the end of the configure step, fails it for a file in no list or in two,
# for a core file that includes a Qt header, for a core library that reaches
# Qt, and for a library that reaches past the libraries it is allowed.

set_property(GLOBAL PROPERTY RIVOLET_CORE_TARGETS "")
set_property(GLOBAL PROPERTY RIVOLET_LISTED_FOLDERS "")
set_property(GLOBAL PROPERTY RIVOLET_LISTED_SOURCES "")
set_property(GLOBAL PROPERTY RIVOLET_LIMITED_TARGETS "")
set_property(GLOBAL PROPERTY RIVOLET_UI_TARGETS "")

# The absolute paths of `files` (named relative to the current folder), noted
# as listed; the folder is noted for the completeness check.
function(_rivolet_list_sources out)
  set(result "")
  foreach(file ${ARGN})
    get_filename_component(path ${file} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    list(APPEND result ${path})
  endforeach()
  set_property(GLOBAL APPEND PROPERTY RIVOLET_LISTED_SOURCES ${result})
  set_property(GLOBAL APPEND PROPERTY RIVOLET_LISTED_FOLDERS ${CMAKE_CURRENT_SOURCE_DIR})
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# Fails when a file meant to build without Qt (a core source or a core test)
# or the header of the same name includes a Qt header.
function(_rivolet_require_no_qt what)
  foreach(source ${ARGN})
    get_filename_component(dir ${source} DIRECTORY)
    get_filename_component(base ${source} NAME_WE)
    foreach(file ${source} ${dir}/${base}.h)
      if(NOT EXISTS ${file})
        continue()
      endif()
      file(STRINGS ${file} qt_lines REGEX "^[ \t]*#[ \t]*include[ \t]*<Q[A-Za-z]")
      if(qt_lines)
        file(RELATIVE_PATH shown ${PROJECT_SOURCE_DIR} ${file})
        list(GET qt_lines 0 first)
        message(FATAL_ERROR
          "${shown} includes Qt (${first}) but is listed in ${what}, which "
          "builds without Qt. Name its .cpp in the window list "
          "(rivolet_ui_library SOURCES, or UI_SOURCES of a test folder) "
          "instead.")
      endif()
    endforeach()
  endforeach()
endfunction()

# A core library made of SOURCES (files of the current folder). Core
# libraries never link Qt nor include it.
function(rivolet_core_library name)
  cmake_parse_arguments(ARG "" "" "LINK;SOURCES" ${ARGN})
  _rivolet_list_sources(sources ${ARG_SOURCES})
  _rivolet_require_no_qt("core library ${name}" ${sources})
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_LINK})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_LINK})
  endif()
  set_property(GLOBAL APPEND PROPERTY RIVOLET_CORE_TARGETS ${name})
endfunction()

# A window library made of SOURCES (files of the current folder), linking Qt
# Widgets. A core-only build makes no such library but still notes its files
# as listed.
function(rivolet_ui_library name)
  cmake_parse_arguments(ARG "" "" "LINK;SOURCES" ${ARGN})
  _rivolet_list_sources(sources ${ARG_SOURCES})
  if(RIVOLET_CORE_ONLY)
    return()
  endif()
  # AUTOMOC finds each source's header of the same name by itself.
  add_library(${name} STATIC ${sources})
  set_property(GLOBAL APPEND PROPERTY RIVOLET_UI_TARGETS ${name})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LINK} Qt6::Widgets)
endfunction()

# A program with windows made of SOURCES; as rivolet_ui_library, nothing is
# made in a core-only build.
function(rivolet_ui_program name)
  cmake_parse_arguments(ARG "" "" "LINK;SOURCES" ${ARGN})
  _rivolet_list_sources(sources ${ARG_SOURCES})
  if(RIVOLET_CORE_ONLY)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_LINK})
endfunction()

# Allows `target` to reach only the program's libraries in ALLOW (itself
# aside), directly or through others, and its files (its sources and their
# headers of the same name) to include only its own folder's headers and
# those of the folders of ALLOW. A header with no source of its name answers
# to the limits of every library of its folder together. Qt and the system's
# libraries are not limited. Checked by rivolet_check_build_rules().
function(rivolet_limit_dependencies target)
  cmake_parse_arguments(ARG "" "" "ALLOW" ${ARGN})
  set_property(GLOBAL APPEND PROPERTY RIVOLET_LIMITED_TARGETS ${target})
  set_property(GLOBAL PROPERTY RIVOLET_ALLOWED_${target} ${ARG_ALLOW})
endfunction()

# The tests of one folder of tests/. SOURCES (plain C++) make one executable
# linking LINK; UI_SOURCES (window tests) make `<name>_ui`, or `<name>` when
# there are no SOURCES, which also links UI_LINK and runs on Qt's offscreen
# platform. Window tests are left out of a core-only build.
# PROPERTIES are ctest properties of every test found in the executables
# (TIMEOUT 120 unless given).
function(rivolet_test_folder name)
  cmake_parse_arguments(ARG "" "" "SOURCES;UI_SOURCES;LINK;UI_LINK;ENV;PROPERTIES" ${ARGN})
  _rivolet_list_sources(sources ${ARG_SOURCES})
  _rivolet_list_sources(ui_sources ${ARG_UI_SOURCES})
  _rivolet_require_no_qt("the plain tests of ${name}" ${sources})
  if(sources)
    _rivolet_test_executable(${name} "${sources}" "${ARG_LINK}" "${ARG_ENV}"
                             "${ARG_PROPERTIES}")
  endif()
  if(ui_sources AND NOT RIVOLET_CORE_ONLY)
    if(sources)
      set(ui_name ${name}_ui)
    else()
      set(ui_name ${name})
    endif()
    _rivolet_test_executable(${ui_name}
      "${ui_sources};${PROJECT_SOURCE_DIR}/tests/support/ui/qt_environment.cpp"
      "${ARG_LINK};${ARG_UI_LINK};rivolet_test_ui_support"
      "QT_QPA_PLATFORM=offscreen;${ARG_ENV}" "${ARG_PROPERTIES}")
  endif()
endfunction()

function(_rivolet_test_executable name sources links env properties)
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${links} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    RIVOLET_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    RIVOLET_CORPUS_DIR="${PROJECT_SOURCE_DIR}/tests/data/feeds"
    RIVOLET_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
  include(GoogleTest)
  # An empty ENVIRONMENT would take the next property's name as its value.
  if(env)
    list(PREPEND properties ENVIRONMENT "${env}")
  endif()
  if(NOT "TIMEOUT" IN_LIST properties)
    list(APPEND properties TIMEOUT 120)
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
endfunction()

function(_rivolet_collect_links target out)
  set(result "")
  foreach(prop LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
    get_target_property(libs ${target} ${prop})
    if(libs)
      list(APPEND result ${libs})
    endif()
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# Everything `target` links, directly or through other targets.
function(_rivolet_link_closure target out)
  set(seen "")
  set(queue ${target})
  while(queue)
    list(POP_FRONT queue current)
    if(current IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${current})
    if(TARGET ${current})
      _rivolet_collect_links(${current} links)
      list(APPEND queue ${links})
    endif()
  endwhile()
  list(REMOVE_ITEM seen ${target})
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

# A core library reaching Qt or a window library, directly or through
# another library.
function(_rivolet_check_core_boundary)
  get_property(cores GLOBAL PROPERTY RIVOLET_CORE_TARGETS)
  get_property(windows GLOBAL PROPERTY RIVOLET_UI_TARGETS)
  foreach(core ${cores})
    _rivolet_link_closure(${core} reached)
    foreach(current ${reached})
      if(current MATCHES "Qt" OR current MATCHES "qt6" OR current IN_LIST windows)
        message(FATAL_ERROR "Core library ${core} links ${current}: the core must not depend on Qt")
      endif()
    endforeach()
  endforeach()
endfunction()

# The folders (relative to the project) whose headers `target` may include:
# its own and those of the libraries it is allowed.
function(_rivolet_allowed_folders target out)
  get_property(allowed GLOBAL PROPERTY RIVOLET_ALLOWED_${target})
  set(folders "")
  foreach(lib ${target} ${allowed})
    get_target_property(lib_dir ${lib} SOURCE_DIR)
    file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${lib_dir})
    list(APPEND folders ${folder})
  endforeach()
  set(${out} ${folders} PARENT_SCOPE)
endfunction()

# Fails for a line of `files` that includes a header of a folder outside
# `folders`.
function(_rivolet_check_includes files folders who)
  foreach(file ${files})
    file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"/]+/")
    foreach(line ${includes})
      string(REGEX REPLACE "^[^\"]*\"([^\"/]+)/.*$" "\\1" folder "${line}")
      if(NOT folder IN_LIST folders)
        file(RELATIVE_PATH shown ${PROJECT_SOURCE_DIR} ${file})
        message(FATAL_ERROR
          "${shown} includes a header of ${folder}/ (${line}), but "
          "${who} may reach only the folders ${folders}")
      endif()
    endforeach()
  endforeach()
endfunction()

# A limited library reaching a library it is not allowed, or one of its files
# including the header of a folder it is not allowed.
function(_rivolet_check_limited)
  get_property(limited GLOBAL PROPERTY RIVOLET_LIMITED_TARGETS)
  set(dirs "")
  foreach(target ${limited})
    if(NOT TARGET ${target})
      continue()
    endif()
    get_property(allowed GLOBAL PROPERTY RIVOLET_ALLOWED_${target})
    _rivolet_link_closure(${target} reached)
    foreach(current ${reached})
      string(REGEX MATCHALL "rivolet_[a-z_]+" names "${current}")
      foreach(lib ${names})
        if(NOT lib STREQUAL target AND NOT lib IN_LIST allowed)
          message(FATAL_ERROR
            "${target} links ${lib}, but may reach only: ${allowed}")
        endif()
      endforeach()
    endforeach()

    _rivolet_allowed_folders(${target} folders)
    get_target_property(own_dir ${target} SOURCE_DIR)
    get_target_property(type ${target} TYPE)
    set(files "")
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(sources ${target} SOURCES)
      foreach(source ${sources})
        get_filename_component(base ${source} NAME_WE)
        list(APPEND files ${source})
        if(EXISTS ${own_dir}/${base}.h)
          list(APPEND files ${own_dir}/${base}.h)
        endif()
      endforeach()
    endif()
    _rivolet_check_includes("${files}" "${folders}" ${target})
    list(APPEND dirs ${own_dir})
    set_property(GLOBAL APPEND PROPERTY RIVOLET_FOLDER_ALLOWED_${own_dir} ${folders})
  endforeach()

  # Headers without a source of their name answer to every library of their
  # folder.
  list(REMOVE_DUPLICATES dirs)
  foreach(dir ${dirs})
    get_property(folders GLOBAL PROPERTY RIVOLET_FOLDER_ALLOWED_${dir})
    file(GLOB headers ${dir}/*.h)
    set(lone "")
    foreach(header ${headers})
      get_filename_component(base ${header} NAME_WE)
      if(NOT EXISTS ${dir}/${base}.cpp)
        list(APPEND lone ${header})
      endif()
    endforeach()
    file(RELATIVE_PATH shown ${PROJECT_SOURCE_DIR} ${dir})
    _rivolet_check_includes("${lone}" "${folders}" "${shown}/")
  endforeach()
endfunction()

# Every .cpp of a folder that holds listed files is in exactly one list.
function(_rivolet_check_listed)
  get_property(folders GLOBAL PROPERTY RIVOLET_LISTED_FOLDERS)
  get_property(listed GLOBAL PROPERTY RIVOLET_LISTED_SOURCES)
  list(REMOVE_DUPLICATES folders)
  set(unique "")
  set(problems "")
  foreach(file ${listed})
    if(file IN_LIST unique)
      file(RELATIVE_PATH shown ${PROJECT_SOURCE_DIR} ${file})
      string(APPEND problems "\n  ${shown} is named in two lists")
    else()
      list(APPEND unique ${file})
    endif()
  endforeach()
  foreach(folder ${folders})
    file(GLOB sources ${folder}/*.cpp)
    foreach(source ${sources})
      if(NOT source IN_LIST unique)
        file(RELATIVE_PATH shown ${PROJECT_SOURCE_DIR} ${source})
        file(RELATIVE_PATH cmake ${PROJECT_SOURCE_DIR} ${folder}/CMakeLists.txt)
        string(APPEND problems "\n  ${shown} is in no list of ${cmake}")
      endif()
    endforeach()
  endforeach()
  if(problems)
    message(FATAL_ERROR
      "Every .cpp belongs to one list of its folder's CMakeLists: the core's "
      "(plain C++) or the windows' (Qt).${problems}")
  endif()
endfunction()

# The build's rules, checked once every folder is configured.
function(rivolet_check_build_rules)
  _rivolet_check_core_boundary()
  _rivolet_check_limited()
  _rivolet_check_listed()
endfunction()
