# What `cmake --install` puts beside the programs (whose own rules are in
# cli/ and app/): man pages, shell completions, the desktop entry with its
# icon and AppStream metadata, and the copyright and README.
set(packaging_dir ${PROJECT_SOURCE_DIR}/packaging)

set(man_pages kestrawave-cli)
if(KESTRAWAVE_UI)
    list(APPEND man_pages kestrawave)
endif()
foreach(page IN LISTS man_pages)
    # The pages name the version in their header.
    configure_file(${packaging_dir}/man/${page}.1.in ${CMAKE_BINARY_DIR}/man/${page}.1 @ONLY)
    install(FILES ${CMAKE_BINARY_DIR}/man/${page}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

install(FILES ${packaging_dir}/completions/kestrawave-cli.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME kestrawave-cli)
install(FILES ${packaging_dir}/completions/_kestrawave-cli
        DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/site-functions)

# A macOS bundle carries its own name and icon.
if(KESTRAWAVE_UI AND NOT APPLE)
    install(FILES ${packaging_dir}/desktop/kestrawave.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${packaging_dir}/desktop/kestrawave.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    install(FILES ${packaging_dir}/desktop/org.kestrawave.Kestrawave.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

install(FILES ${packaging_dir}/debian/copyright ${PROJECT_SOURCE_DIR}/README.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
