# Views are handed their state: none includes the application controller or reaches a shared
# client or controller by itself. Run as a script:
#   cmake -DSOURCE_DIR=<src folder> -P NimbrelViewIsolationCheck.cmake
include(${CMAKE_CURRENT_LIST_DIR}/NimbrelSourceScan.cmake)

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "SOURCE_DIR is not set")
endif()
get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)
file(GLOB_RECURSE views "${SOURCE_DIR}/core/views/*.h" "${SOURCE_DIR}/core/views/*.cpp")
foreach(name locations/NBTableView NBCurrentConditionsView NBBaseView locations/NBLocationCell NBLastUpdatedTextField)
  list(APPEND views "${SOURCE_DIR}/app/${name}.h" "${SOURCE_DIR}/app/${name}.cpp")
endforeach()
# The controller's header, its instance, and the process-wide clients and controllers.
set(forbidden "app/NBController\\.h|NBController::instance|shared[A-Za-z]*(Client|Controller|Manager)\\(")
nimbrel_scan_sources(failures "${SOURCE_DIR}" "${forbidden}" ${views})
if(failures)
  message(FATAL_ERROR "Views reaching for the controller or a shared client:${failures}")
endif()
message(STATUS "Views are handed their state")
