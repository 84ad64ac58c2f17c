# The metafile canvas writes through libEMF; JPEG images are encoded with libjpeg.
target_link_libraries(calvane_plot PRIVATE EMF jpeg)
