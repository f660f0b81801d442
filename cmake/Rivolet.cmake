# Helpers shared by the folders' CMakeLists.

set_property(GLOBAL PROPERTY RIVOLET_CORE_TARGETS "")

# A core library: every .cpp of the folder that is not a window (*_form*.cpp)
# nor named in EXCLUDE (window files of other names), or the given sources.
# Core libraries must never link Qt; rivolet_check_core_boundary() enforces
# it.
function(rivolet_core_library name)
  cmake_parse_arguments(ARG "" "" "LINK;SOURCES;EXCLUDE" ${ARGN})
  if(ARG_SOURCES)
    set(sources ${ARG_SOURCES})
  else()
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    list(FILTER sources EXCLUDE REGEX "_form[a-z_]*\\.cpp$")
    foreach(excluded ${ARG_EXCLUDE})
      list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${excluded})
    endforeach()
  endif()
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

# A window library: the *_form*.cpp files of the folder (a form and its
# layout file), or the given sources.
function(rivolet_ui_library name)
  cmake_parse_arguments(ARG "" "" "LINK;SOURCES" ${ARGN})
  if(ARG_SOURCES)
    set(sources ${ARG_SOURCES})
  else()
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_form*.cpp)
  endif()
  file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(${name} STATIC ${sources} ${headers})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LINK} Qt6::Widgets)
endfunction()

# The tests of one folder of tests/. Its core tests (every .cpp but the window
# tests) make one executable linking LINK; its window tests (*_form*_test.cpp,
# or every .cpp with WINDOWS) make `<name>_ui`, which also links UI_LINK and
# runs on Qt's offscreen platform. Window tests are left out of a core-only
# build.
function(rivolet_test_folder name)
  cmake_parse_arguments(ARG "WINDOWS" "" "LINK;UI_LINK;ENV;QT" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set(ui_sources ${sources})
  if(ARG_WINDOWS)
    set(sources "")
  else()
    list(FILTER ui_sources INCLUDE REGEX "_form[a-z_]*_test\\.cpp$")
    list(FILTER sources EXCLUDE REGEX "_form[a-z_]*_test\\.cpp$")
    # Tests named in QT need Qt's event loop although they test no window.
    foreach(qt_test ${ARG_QT})
      list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${qt_test})
      list(APPEND ui_sources ${CMAKE_CURRENT_SOURCE_DIR}/${qt_test})
    endforeach()
  endif()
  if(sources)
    _rivolet_test_executable(${name} "${sources}" "${ARG_LINK}" "${ARG_ENV}")
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
      "QT_QPA_PLATFORM=offscreen;${ARG_ENV}")
  endif()
endfunction()

function(_rivolet_test_executable name sources links env)
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${links} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    RIVOLET_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    RIVOLET_CORPUS_DIR="${PROJECT_SOURCE_DIR}/tests/data/feeds"
    RIVOLET_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
  include(GoogleTest)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "${env}" TIMEOUT 120)
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

# Fails the configure step when a core library reaches Qt, directly or through
# another library.
function(rivolet_check_core_boundary)
  get_property(cores GLOBAL PROPERTY RIVOLET_CORE_TARGETS)
  foreach(core ${cores})
    set(seen "")
    set(queue ${core})
    while(queue)
      list(POP_FRONT queue current)
      if(current IN_LIST seen)
        continue()
      endif()
      list(APPEND seen ${current})
      if(current MATCHES "Qt" OR current MATCHES "qt6" OR current MATCHES "rivolet_.*_ui$" OR current STREQUAL "rivolet_platform")
        message(FATAL_ERROR "Core library ${core} links ${current}: the core must not depend on Qt")
      endif()
      if(TARGET ${current})
        _rivolet_collect_links(${current} links)
        list(APPEND queue ${links})
      endif()
    endwhile()
  endforeach()
endfunction()
