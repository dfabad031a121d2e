# Installs one document (a manual page, the changelog) configured and compressed as it is
# installed, not as it is built: paths in it then name the prefix of this very installation,
# /usr in the Debian package (CPack installs with its packaging prefix) and /usr/local or the
# --prefix of `cmake --install` otherwise. The caller (an install(CODE) of Packaging.cmake) sets
# VESTRA_DOCUMENT (the source), VESTRA_DOCUMENT_DESTINATION, VESTRA_DATA_SUBDIR (the data
# folder, relative to the prefix unless absolute), VESTRA_VERSION, VESTRA_GZIP and
# VESTRA_STAGING (a folder of the build tree for the configured copy).

# A function, so that its variables stay out of the install script that includes this.
function(vestra_install_document)
  set(VERSION "${VESTRA_VERSION}")
  if(IS_ABSOLUTE "${VESTRA_DATA_SUBDIR}")
    set(DATADIR "${VESTRA_DATA_SUBDIR}")
  else()
    set(DATADIR "${CMAKE_INSTALL_PREFIX}/${VESTRA_DATA_SUBDIR}")
  endif()
  get_filename_component(name "${VESTRA_DOCUMENT}" NAME)
  set(configured "${VESTRA_STAGING}/${name}")
  configure_file("${VESTRA_DOCUMENT}" "${configured}" @ONLY)
  # Reproducible, as Debian wants: no name or time in the gzip header.
  execute_process(COMMAND "${VESTRA_GZIP}" -9nf -k "${configured}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "Cannot compress ${configured}")
  endif()
  set(destination "${VESTRA_DOCUMENT_DESTINATION}")
  if(NOT IS_ABSOLUTE "${destination}")
    set(destination "${CMAKE_INSTALL_PREFIX}/${destination}")
  endif()
  file(INSTALL DESTINATION "${destination}" TYPE FILE FILES "${configured}.gz")
  # file(INSTALL) lists the file in this scope; install_manifest.txt is written from the caller's.
  set(CMAKE_INSTALL_MANIFEST_FILES "${CMAKE_INSTALL_MANIFEST_FILES}" PARENT_SCOPE)
endfunction()
vestra_install_document()
