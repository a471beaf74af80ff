# The program's version, written once: in the file VERSION at the top of the tree. The build takes it
# from here for the project, the version header (resource script, version label) and the manifest;
# tools/release.sh and tools/make_artwork.py read the same file.
file(STRINGS "${CMAKE_CURRENT_LIST_DIR}/../VERSION" QUORLIN_VERSION LIMIT_COUNT 1 REGEX "^[0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+$")
if(NOT QUORLIN_VERSION)
  message(FATAL_ERROR "VERSION must hold one version of four numbers, such as 1.0.0.1")
endif()

# Writes <dir>/app/version.h (and, given a manifest template, <dir>/app/quorlin.manifest).
function(quorlin_generate_version dir)
  string(REPLACE "." "," QUORLIN_VERSION_NUMBERS "${QUORLIN_VERSION}")
  set(source "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/..")
  configure_file("${source}/app/version.h.in" "${dir}/app/version.h" @ONLY)
  configure_file("${source}/app/quorlin.manifest.in" "${dir}/app/quorlin.manifest" @ONLY)
endfunction()
