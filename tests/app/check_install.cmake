# Installs the build into a scratch prefix and checks that the program reached through bin/
# has its boundary files in its own folder, where it looks for them.
#   cmake -DBUILD_DIR=<build> -DPREFIX=<scratch> -P check_install.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE installed OUTPUT_QUIET)
if(NOT installed EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${installed})")
endif()
if(NOT EXISTS "${PREFIX}/bin/nimbrel-core")
  message(FATAL_ERROR "no bin/nimbrel-core")
endif()
file(REAL_PATH "${PREFIX}/bin/nimbrel-core" program)
get_filename_component(folder "${program}" DIRECTORY)
foreach(resource boundaries_i.txt states_i.txt)
  if(NOT EXISTS "${folder}/${resource}")
    message(FATAL_ERROR "${resource} is not beside the installed program (${folder})")
  endif()
  file(SIZE "${folder}/${resource}" size)
  if(size EQUAL 0)
    message(FATAL_ERROR "${resource} is empty")
  endif()
endforeach()
file(REMOVE_RECURSE "${PREFIX}")
