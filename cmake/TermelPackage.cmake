# The Debian package: `cpack -G DEB` in the build directory writes
# termel_<version>_<architecture>.deb with everything the install rules install, below
# /usr, and dependencies that dpkg-shlibdeps reads from the binaries. A sanitizer build
# is no program to ship, so it gets no package.
if(TERMEL_SANITIZE)
  return()
endif()

set(TERMEL_PACKAGE_MAINTAINER "termel-Entwickler <termel@example.org>"
    CACHE STRING "Maintainer named in the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME termel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${TERMEL_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "vocabulary trainer with a card box of six compartments")
set(CPACK_PACKAGE_DESCRIPTION
    "termel drills word pairs with a card box (Lernkartei): a known card moves one
compartment on, an unknown one goes back to the first, and cards are asked from
the fullest of the lower compartments. Cards can be entered, corrected, moved and
shuffled, and word lists imported and exported as text files. The program's
texts are German.

termel-tool shows, checks, imports into and exports from card boxes on the
command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# "Vorlesen" speaks through the desktop's speech service; without it the item is greyed.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "speech-dispatcher, speech-dispatcher-espeak-ng")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)

# The test packs into a scratch directory of its own, so it never leaves a package in
# the build directory nor meets one left there.
add_test(NAME DebianPackageHoldsTheInstalledProgram
         COMMAND ${PROJECT_SOURCE_DIR}/tests/install/check_package.sh ${PROJECT_BINARY_DIR}
                 ${PROJECT_VERSION})
set_tests_properties(DebianPackageHoldsTheInstalledProgram PROPERTIES
                     ENVIRONMENT "CMAKE=${CMAKE_COMMAND};CPACK=${CMAKE_CPACK_COMMAND}")
