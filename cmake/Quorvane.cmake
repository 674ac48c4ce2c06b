# Helpers shared by every folder of src/ and tests/.
#
# Sources are globbed per folder so that adding a file to a module never means
# editing a list by hand; CONFIGURE_DEPENDS re-runs the glob on every build.

# QScintilla ships no CMake package on Debian; find its header and library.
find_path(QSCINTILLA_INCLUDE_DIR Qsci/qsciscintilla.h
  PATHS /usr/include/x86_64-linux-gnu/qt6 /usr/include/qt6 REQUIRED)
find_library(QSCINTILLA_LIBRARY NAMES qscintilla2_qt6 REQUIRED)
add_library(QScintilla::QScintilla UNKNOWN IMPORTED)
set_target_properties(QScintilla::QScintilla PROPERTIES
  IMPORTED_LOCATION ${QSCINTILLA_LIBRARY}
  INTERFACE_INCLUDE_DIRECTORIES ${QSCINTILLA_INCLUDE_DIR})
target_link_libraries(QScintilla::QScintilla INTERFACE Qt6::Widgets Qt6::PrintSupport)

# Intel's decimal floating-point library, the variant that passes rounding mode
# and status flags as arguments (no global state, safe on the calculator thread).
find_path(INTELBID_INCLUDE_DIR bid_functions.h REQUIRED)
find_library(INTELBID_LIBRARY NAMES libbidgcc000.a bidgcc000 REQUIRED)
add_library(IntelBid::bid STATIC IMPORTED)
set_target_properties(IntelBid::bid PROPERTIES
  IMPORTED_LOCATION ${INTELBID_LIBRARY}
  INTERFACE_INCLUDE_DIRECTORIES ${INTELBID_INCLUDE_DIR}
  INTERFACE_COMPILE_DEFINITIONS
    "DECIMAL_CALL_BY_REFERENCE=0;DECIMAL_GLOBAL_ROUNDING=0;DECIMAL_GLOBAL_EXCEPTION_FLAGS=0")

# qv_module(<target> [SHARED] [PCH widgets|gui|core|none] [LIBS ...]): one library
# from the .cpp/.h files of the current folder and its subfolders, except
# subfolders that hold a CMakeLists.txt of their own (they are modules of their
# own). Headers are included as "<folder>/<File>.h" from src/.
function(qv_module target)
  cmake_parse_arguments(M "SHARED" "PCH" "LIBS;SOURCES" ${ARGN})
  if(M_SOURCES)
    set(srcs ${M_SOURCES})
  else()
    file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
      ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
      ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  endif()
  list(FILTER srcs EXCLUDE REGEX "/main\\.cpp$")
  file(GLOB_RECURSE submodules CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*/CMakeLists.txt)
  foreach(sub ${submodules})
    get_filename_component(subdir ${sub} DIRECTORY)
    list(FILTER srcs EXCLUDE REGEX "^${subdir}/")
  endforeach()
  if(NOT srcs)
    return() # the folder has no code yet; its tests are skipped too
  endif()
  if(M_SHARED)
    add_library(${target} SHARED ${srcs})
  else()
    add_library(${target} STATIC ${srcs})
  endif()
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  target_compile_definitions(${target} PUBLIC
    QUORVANE_VERSION="${PROJECT_VERSION}"
    QUORVANE_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
    QUORVANE_VERSION_MINOR=${PROJECT_VERSION_MINOR}
    QUORVANE_VERSION_PATCH=${PROJECT_VERSION_PATCH}
    QUORVANE_VERSION_TWEAK=${PROJECT_VERSION_TWEAK})
  # Modules of the project are linked only once they exist: a folder without
  # code yet makes no target, and its users build without it.
  set(libs)
  foreach(lib ${M_LIBS})
    if(lib MATCHES "^qv_")
      list(APPEND libs "$<TARGET_NAME_IF_EXISTS:${lib}>")
    else()
      list(APPEND libs ${lib})
    endif()
  endforeach()
  if(libs)
    target_link_libraries(${target} PUBLIC ${libs})
  endif()
  # Qt's headers are most of every file's compile time: each module parses
  # them once into a precompiled header (PCH widgets by default, gui for the
  # modules below the widgets, none to opt out).
  if(NOT M_PCH)
    set(M_PCH widgets)
  endif()
  if(QV_USE_PCH AND NOT M_PCH STREQUAL "none")
    target_precompile_headers(${target} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/pch/${M_PCH}.h)
  endif()
endfunction()

# Every test program reuses one precompiled header of QtTest and QtWidgets.
# GCC accepts a reused header only when the macros it names match, so every
# test links the same Qt modules (their QT_*_LIB definitions), as does the
# program that makes the header.
set(QV_TEST_QT_LIBS Qt6::Core Qt6::Gui Qt6::Widgets Qt6::Network Qt6::PrintSupport
    Qt6::SerialPort Qt6::Svg Qt6::Test)
# Qt's test library names each test's own folders in two definitions; one
# value for all keeps the shared header valid (no test uses QFINDTESTDATA).
set_property(TARGET Qt6::Test PROPERTY INTERFACE_COMPILE_DEFINITIONS
  "QT_TESTLIB_LIB;QT_TESTCASE_BUILDDIR=\"${CMAKE_BINARY_DIR}/tests\";QT_TESTCASE_SOURCEDIR=\"${PROJECT_SOURCE_DIR}/tests\"")
# Test code is compiled without optimisation: the code under test is the
# optimised libraries', and most of a test's compile time is its own codegen.
function(qv_test_pch target)
  target_link_libraries(${target} PRIVATE ${QV_TEST_QT_LIBS})
  target_compile_options(${target} PRIVATE -O0)
  if(NOT QV_USE_PCH)
    return()
  endif()
  if(NOT TARGET qv_test_pch)
    add_executable(qv_test_pch EXCLUDE_FROM_ALL ${PROJECT_SOURCE_DIR}/cmake/pch/test_pch_main.cpp)
    target_link_libraries(qv_test_pch PRIVATE ${QV_TEST_QT_LIBS})
    target_compile_options(qv_test_pch PRIVATE -O0)
    target_precompile_headers(qv_test_pch PRIVATE ${PROJECT_SOURCE_DIR}/cmake/pch/tests.h)
  endif()
  target_precompile_headers(${target} REUSE_FROM qv_test_pch)
endfunction()

# qv_tests(<module> [LIBS ...] [CORE <library> <test>...]): every tst_*.cpp of
# the current folder becomes one test program linked with <module>, registered
# with CTest; the tests named after CORE link <library> instead (the part of
# the module they test, without the rest). GUI tests run
# on the offscreen platform, and each test gets its own settings folder so
# that no test reads or writes the user's real settings.
function(qv_tests module)
  cmake_parse_arguments(T "" "" "LIBS;CORE" ${ARGN})
  if(T_CORE)
    list(POP_FRONT T_CORE core_lib)
  endif()
  if(NOT TARGET ${module})
    return()
  endif()
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp)
  foreach(test ${tests})
    get_filename_component(name ${test} NAME_WE)
    add_executable(${name} ${test})
    set(lib ${module})
    if(name IN_LIST T_CORE)
      set(lib ${core_lib})
    endif()
    target_link_libraries(${name} PRIVATE ${lib} Qt6::Test ${T_LIBS})
    # tests/support holds stand-ins shared by several folders' tests.
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    qv_test_pch(${name})
    target_compile_definitions(${name} PRIVATE
      QV_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data"
      QV_SOURCE_DATA_DIR="${PROJECT_SOURCE_DIR}/data"
      QV_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
    add_test(NAME ${module}.${name} COMMAND ${name})
    set(home ${CMAKE_BINARY_DIR}/test-home/${name})
    set_tests_properties(${module}.${name} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${home}/config;XDG_DATA_HOME=${home}/data;XDG_RUNTIME_DIR=${home}/run;HOME=${home}"
      TIMEOUT 300)
    file(MAKE_DIRECTORY ${home}/config ${home}/data ${home}/run)
    file(CHMOD ${home}/run DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
  endforeach()
endfunction()
