# The Windows zip: the program with the module and the stand-in host beside it (where both the
# program and Windows look for them), README, licence and examples.
install(TARGETS quorlin-validate RUNTIME DESTINATION . COMPONENT runtime)
install(TARGETS QuorlinServerConfigValidator standin_host
        RUNTIME DESTINATION . LIBRARY DESTINATION . COMPONENT runtime)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION . COMPONENT runtime)
install(FILES copyright RENAME LICENSE.txt DESTINATION . COMPONENT runtime)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION examples COMPONENT runtime)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME "quorlin-validate")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME "quorlin-validate-${PROJECT_VERSION}-windows-x64")
set(CPACK_STRIP_FILES ON)
include(CPack)
