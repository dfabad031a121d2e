# Installation and the Debian package: the two programs, the examples, a desktop entry with its
# icon, the manual pages, and the documents a Debian package carries.
include(GNUInstallDirs)

# Debian's folder of the package's documents, named after the package.
set(VESTRA_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/vestra)

if(TARGET vestra)
  install(TARGETS vestra RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES share/vestra.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES share/icons/vestra.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES share/icons/vestra.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
endif()
install(TARGETS vestra-batch RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY examples/ DESTINATION ${CMAKE_INSTALL_DATADIR}/vestra/examples
        FILES_MATCHING PATTERN "*.ana" PATTERN "*.txt" PATTERN "*.csv" PATTERN "*.ndjson"
        PATTERN "*.py")

# Manual pages and the changelog are configured and compressed when they are installed, so that
# the pages name the data folder of the prefix installed to (see InstallDocument.cmake).
find_program(GZIP gzip REQUIRED)
function(vestra_document source destination)
  install(CODE "
    set(VESTRA_DOCUMENT \"${source}\")
    set(VESTRA_DOCUMENT_DESTINATION \"${destination}\")
    set(VESTRA_DATA_SUBDIR \"${CMAKE_INSTALL_DATADIR}/vestra\")
    set(VESTRA_VERSION \"${PROJECT_VERSION}\")
    set(VESTRA_GZIP \"${GZIP}\")
    set(VESTRA_STAGING \"${CMAKE_CURRENT_BINARY_DIR}/packaging\")
    include(\"${PROJECT_SOURCE_DIR}/InstallDocument.cmake\")")
endfunction()
if(TARGET vestra)
  vestra_document(${PROJECT_SOURCE_DIR}/docs/man/vestra.1 ${CMAKE_INSTALL_MANDIR}/man1)
endif()
vestra_document(${PROJECT_SOURCE_DIR}/docs/man/vestra-batch.1 ${CMAKE_INSTALL_MANDIR}/man1)
vestra_document(${PROJECT_SOURCE_DIR}/share/changelog ${VESTRA_DOC_DIR})
install(FILES share/copyright DESTINATION ${VESTRA_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vestra)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "calibrate pedestrian crowd models against experiments")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Vestra loads measured pedestrian trajectories (ANA files, and laboratory or
street recordings in which pedestrians come and go), binds them to a crowd
model (Boids, Helbing social force, RVO2 collision avoidance or Vision), scores
the model with a metric and calibrates its per-pedestrian parameters with
greedy search, simulated annealing or a genetic algorithm. The desktop program
plays experiment and simulation back side by side; vestra-batch runs the same
evaluations and calibrations from the command line, on every core, and as
sweeps on a Slurm cluster. A Python module, vestra, runs the same readers,
evaluations, simulations and calibrations from scripts, with the trajectories
as numpy arrays.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Vestra developers <vestra@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The Python module, when it is built, needs the interpreter it was built for and numpy;
# dpkg-shlibdeps cannot tell, since an extension does not link to libpython.
get_property(VESTRA_PYTHON_DEPENDS GLOBAL PROPERTY VESTRA_PYTHON_DEPENDS)
if(VESTRA_PYTHON_DEPENDS)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${VESTRA_PYTHON_DEPENDS}")
endif()
include(CPack)
