# Measured patterns: xylib reads the formats it knows well; XRDML and .brml
# (a ZIP of XML files) are read with pugixml and libzip.
find_package(PkgConfig REQUIRED)
pkg_check_modules(CALVANE_LIBZIP REQUIRED IMPORTED_TARGET libzip)
find_package(pugixml REQUIRED)
# libzip is loaded when the first .brml file is read (zip_library.cpp): only its headers here.
target_include_directories(calvane_experiment_io SYSTEM PRIVATE ${CALVANE_LIBZIP_INCLUDE_DIRS})
# pugixml's static archive: one shared library fewer to load at every start
# of calvane-sim (Debian builds it position-independent).
if(TARGET pugixml::static)
  target_link_libraries(calvane_experiment_io PRIVATE pugixml::static)
else()
  target_link_libraries(calvane_experiment_io PRIVATE pugixml::pugixml)
endif()

# libxy stands behind xylib_backend(), which this library declares and each
# program defines. calvane_xylib holds the definition that calls libxy linked
# in; calvane_core brings it to the desktop, the tests and the Python module.
# calvane-sim links calvane_flows without it and loads the same code as the
# module calvane-sim-xylib.so at its first xylib file (cli/CMakeLists.txt).
find_library(CALVANE_XYLIB xy REQUIRED)
find_path(CALVANE_XYLIB_INCLUDE xylib/xylib.h REQUIRED)
get_target_property(experiment_io_sources calvane_experiment_io SOURCES)
list(FILTER experiment_io_sources EXCLUDE REGEX "/xylib_library\\.cpp$")
set_target_properties(calvane_experiment_io PROPERTIES SOURCES "${experiment_io_sources}")
add_library(calvane_xylib OBJECT "${CMAKE_CURRENT_LIST_DIR}/xylib_library.cpp")
target_include_directories(calvane_xylib SYSTEM PRIVATE "${CALVANE_XYLIB_INCLUDE}")
target_link_libraries(calvane_xylib PUBLIC calvane_experiment_io "${CALVANE_XYLIB}" PRIVATE calvane_warnings)
set_target_properties(calvane_xylib PROPERTIES POSITION_INDEPENDENT_CODE ON)
target_link_libraries(calvane_core INTERFACE calvane_xylib $<TARGET_OBJECTS:calvane_xylib>)
