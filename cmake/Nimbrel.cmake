# Helpers that keep each subsystem's CMake short: a subsystem is one library made of every
# source file below its folder, and a test is one executable per *_test.cpp file.

# nimbrel_subsystem(<name> FOLDER <dir> [EXCLUDE <subfolders...>] [DEPS <targets...>])
# Makes library target nimbrel_<name> from the .cpp files below <dir>, leaving out the named
# subfolders (each of those is a library of its own). A folder with no sources yet becomes an
# interface library, so dependent targets can already name it.
function(nimbrel_subsystem name)
  cmake_parse_arguments(ARG "" "FOLDER" "EXCLUDE;DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
    "${ARG_FOLDER}/*.cpp" "${ARG_FOLDER}/*.h" "${ARG_FOLDER}/*.qrc")
  set(target nimbrel_${name})
  # Listed for the checks that walk every subsystem (the architecture table).
  set_property(GLOBAL APPEND PROPERTY NIMBREL_SUBSYSTEMS ${target})
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  foreach(sub IN LISTS ARG_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "^${ARG_FOLDER}/${sub}/")
  endforeach()
  set(has_cpp FALSE)
  foreach(s IN LISTS sources)
    if(s MATCHES "\\.cpp$")
      set(has_cpp TRUE)
    endif()
  endforeach()
  if(has_cpp)
    add_library(${target} STATIC ${sources})
    # Without this, a header added after the first build (picked up by the glob) is never
    # given to moc in an incremental Ninja build.
    set_property(TARGET ${target} APPEND PROPERTY AUTOGEN_TARGET_DEPENDS ${sources})
    target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${target} PUBLIC ${ARG_DEPS})
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${target} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# nimbrel_tests(<label> [DEPS <targets...>])
# One test executable per *_test.cpp in the current folder, labelled with the subsystem folder.
# Files named *_gui_test.cpp open windows or use OpenGL and run under xvfb-run; the others run
# on Qt's offscreen platform. Every test process gets its own HOME and XDG folders (TestMain).
function(nimbrel_tests label)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp")
  find_program(XVFB_RUN xvfb-run)
  foreach(test_source IN LISTS tests)
    get_filename_component(test_name ${test_source} NAME_WE)
    if(test_name MATCHES "^${label}_")
      set(target ${test_name})
    else()
      set(target ${label}_${test_name})
    endif()
    add_executable(${target} ${test_source})
    target_link_libraries(${target} PRIVATE nimbrel_test_support ${ARG_DEPS})
    if(test_name MATCHES "_gui_test$")
      if(NOT XVFB_RUN)
        message(FATAL_ERROR "xvfb-run is needed for ${target}")
      endif()
      add_test(NAME ${target}
        COMMAND ${XVFB_RUN} -a -s "-screen 0 1600x1000x24" $<TARGET_FILE:${target}>)
      set_tests_properties(${target} PROPERTIES LABELS "${label};gui"
        ENVIRONMENT "QT_QPA_PLATFORM=xcb")
    else()
      add_test(NAME ${target} COMMAND ${target})
      set_tests_properties(${target} PROPERTIES LABELS "${label}"
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    endif()
    set_property(TEST ${target} APPEND PROPERTY ENVIRONMENT
      "ASAN_OPTIONS=detect_leaks=0:abort_on_error=1"
      "UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1")
    set_tests_properties(${target} PROPERTIES TIMEOUT 300)
  endforeach()
endfunction()

# nimbrel_test_environment(<test> VAR=value...)
# Adds environment variables to one test (for example TZ and LANG for calendar tests).
function(nimbrel_test_environment test)
  set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT ${ARGN})
endfunction()
