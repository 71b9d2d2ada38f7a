# The Debian package (`make deb`): CPack lays out the install under /usr and
# dpkg-shlibdeps computes the dependencies from the programs themselves.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vesper-glint)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "Vesper Glint developers <vesper-glint@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time audiovisual show for the text console")
# The long description; CPack puts the summary above it and indents it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Vesper Glint plays one generated song and, in step with it, a fixed
sequence of effects (photo zooms, twirls, ray-cast tunnels, flare clouds,
tumbling asteroids) drawn as coloured character art in the terminal.

vesper-capture renders the same show offline, frame-exactly, to pictures,
text, video and statistics.")
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
