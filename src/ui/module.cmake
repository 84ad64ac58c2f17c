# The program's version shown in the main window's caption and the About box
# is the project's version given to project() at the top of the build.
target_compile_definitions(calvane_ui PRIVATE CALVANE_VERSION="${PROJECT_VERSION}")
