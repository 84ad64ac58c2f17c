# The fit's linear algebra and its Levenberg–Marquardt (MINPACK's, as Eigen
# ships it in unsupported/NonLinearOptimization) come from Eigen.
find_package(Eigen3 3.3 REQUIRED NO_MODULE)
target_link_libraries(calvane_fit PUBLIC Eigen3::Eigen)
# The peak loop of the fit's model runs for every evaluation: vectorised.
set_source_files_properties("${CMAKE_CURRENT_SOURCE_DIR}/fit/phase_pattern.cpp"
  TARGET_DIRECTORY calvane_fit
  PROPERTIES COMPILE_OPTIONS "-O3")
