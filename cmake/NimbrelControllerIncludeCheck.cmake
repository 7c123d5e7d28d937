# The application controller is the composition root: it makes the shell's parts and hands each
# what it needs. A part that includes the controller's header reaches back up for its
# dependencies instead, and closes an include cycle; this check refuses it.
# Only the controller's own files (app/NBController*.{h,cpp}) and the program's main.cpp may
# include "app/NBController.h". Comments are not counted.
# Run as a script: cmake -DSOURCE_DIR=<src folder> -P NimbrelControllerIncludeCheck.cmake
# or include() it and call nimbrel_check_controller_includes(<src folder>) at configure time.

function(nimbrel_check_controller_includes source_dir)
  get_filename_component(source_dir "${source_dir}" ABSOLUTE)
  file(GLOB_RECURSE sources "${source_dir}/*.h" "${source_dir}/*.cpp")
  list(SORT sources)
  set(include_pattern "#[ \t]*include[ \t]*[\"<]app/NBController\\.h[\">]")
  set(failures "")
  foreach(source IN LISTS sources)
    file(RELATIVE_PATH where "${source_dir}" "${source}")
    if(where MATCHES "^app/(NBController[A-Za-z]*\\.(h|cpp)|main\\.cpp)$")
      continue()
    endif()
    file(STRINGS "${source}" lines REGEX "${include_pattern}")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "//.*$" "" code "${line}")
      if(code MATCHES "${include_pattern}")
        string(STRIP "${code}" code)
        string(APPEND failures "\n  ${where}: ${code}")
      endif()
    endforeach()
  endforeach()
  if(failures)
    message(FATAL_ERROR "Only the application controller's own files include its header; "
                        "hand the part what it needs instead:${failures}")
  endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE)
  if(NOT SOURCE_DIR)
    message(FATAL_ERROR "SOURCE_DIR is not set")
  endif()
  nimbrel_check_controller_includes("${SOURCE_DIR}")
  message(STATUS "Only the composition root includes the application controller")
endif()
