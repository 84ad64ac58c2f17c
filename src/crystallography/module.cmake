# The structure-factor inner loop is written for the vectoriser: full
# optimisation and fused multiply-adds where the target has them.
set_source_files_properties("${CMAKE_CURRENT_LIST_DIR}/structure_factor_kernel.cpp"
  PROPERTIES COMPILE_OPTIONS "-O3;-ffp-contract=fast")
