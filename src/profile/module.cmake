# The peak loop must be vectorised: -O2 keeps GCC to its "very cheap"
# vectoriser, which leaves loops of unknown length scalar.
set_source_files_properties("${CMAKE_CURRENT_SOURCE_DIR}/profile/pseudo_voigt.cpp"
  TARGET_DIRECTORY calvane_profile
  PROPERTIES COMPILE_OPTIONS "-O3")
