# Installation of the program with the module and the stand-in host it loads, and the Debian
# package. The program finds both relative to itself, so an installed tree runs from any prefix.

# The module loads into a process that already holds the stand-in host; $ORIGIN lets it find that
# library beside itself when another host program loads it.
set_property(TARGET QuorlinServerConfigValidator PROPERTY INSTALL_RPATH "$ORIGIN")

install(TARGETS quorlin-validate RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
install(TARGETS QuorlinServerConfigValidator LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        COMPONENT runtime)
install(TARGETS standin_host LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} NAMELINK_SKIP
        COMPONENT runtime)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR}
        COMPONENT runtime)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples
        COMPONENT runtime)

set(CPACK_PACKAGE_NAME "quorlin-validate")
set(CPACK_PACKAGE_VENDOR "trel")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Checks QuorlinServer config files against a data point configuration")
set(CPACK_PACKAGE_CONTACT "trel <quorlin@trel.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION "devel")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
find_program(QUORLIN_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(NOT QUORLIN_DPKG_SHLIBDEPS)
  # Without dpkg-dev the dependencies cannot be computed: those of a Debian 12 build.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= 2.34), libgcc-s1 (>= 3.0), libstdc++6 (>= 11)")
endif()
# The stand-in host ships in the package itself; dpkg-shlibdeps finds it there.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
    "${CMAKE_BINARY_DIR}/host")
include(CPack)
