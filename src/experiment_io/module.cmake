# Measured patterns: xylib reads the formats it knows well; XRDML and .brml
# (a ZIP of XML files) are read with pugixml and libzip.
find_package(PkgConfig REQUIRED)
pkg_check_modules(CALVANE_LIBZIP REQUIRED IMPORTED_TARGET libzip)
find_package(pugixml REQUIRED)
find_library(CALVANE_XYLIB xy REQUIRED)
find_path(CALVANE_XYLIB_INCLUDE xylib/xylib.h REQUIRED)
target_include_directories(calvane_experiment_io SYSTEM PRIVATE "${CALVANE_XYLIB_INCLUDE}")
# libzip is loaded when the first .brml file is read (zip_library.cpp): only its headers here.
target_include_directories(calvane_experiment_io SYSTEM PRIVATE ${CALVANE_LIBZIP_INCLUDE_DIRS})
target_link_libraries(calvane_experiment_io PRIVATE pugixml::pugixml ${CMAKE_DL_LIBS})
target_link_libraries(calvane_experiment_io PUBLIC "${CALVANE_XYLIB}")
