# The metafile canvas writes through libEMF, loaded at the first metafile
# (emf_canvas.cpp): only its headers here. JPEG images are encoded with libjpeg.
target_link_libraries(calvane_plot PRIVATE jpeg)
