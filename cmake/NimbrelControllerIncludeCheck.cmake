# The application controller is the composition root: it makes the shell's parts and hands each
# what it needs. A part that includes the controller's header reaches back up for its
# dependencies instead, and closes an include cycle; this check refuses it.
# Only the controller's own files (app/NBController*.{h,cpp}) and the program's main.cpp may
# include "app/NBController.h". Comments are not counted.
# Run as a script: cmake -DSOURCE_DIR=<src folder> -P NimbrelControllerIncludeCheck.cmake
# or include() it and call nimbrel_check_controller_includes(<src folder>) at configure time.

include(${CMAKE_CURRENT_LIST_DIR}/NimbrelSourceScan.cmake)

function(nimbrel_check_controller_includes source_dir)
  get_filename_component(source_dir "${source_dir}" ABSOLUTE)
  file(GLOB_RECURSE sources "${source_dir}/*.h" "${source_dir}/*.cpp")
  list(SORT sources)
  set(include_pattern "#[ \t]*include[ \t]*[\"<]app/NBController\\.h[\">]")
  set(outside_root "")
  foreach(source IN LISTS sources)
    file(RELATIVE_PATH where "${source_dir}" "${source}")
    if(NOT where MATCHES "^app/(NBController[A-Za-z]*\\.(h|cpp)|main\\.cpp)$")
      list(APPEND outside_root "${source}")
    endif()
  endforeach()
  nimbrel_scan_sources(failures "${source_dir}" "${include_pattern}" ${outside_root})
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
