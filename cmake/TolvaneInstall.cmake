# The install layout, for `cmake --install build --prefix P` and for the package (P = /usr):
#   P/lib/tolvane/     the program folder: Tolvane, TolvaneSetup, tolvane-cli and the shipped
#                      files Tolvane.hlp, Tolvane.cnt, Readme.txt (found beside the programs)
#                      and the marker Tolvane.installation, without which TolvaneSetup /u
#                      deletes nothing there
#   P/bin/             links to Tolvane and tolvane-cli
#   P/share/applications/, P/share/icons/hicolor/, P/share/metainfo/
# Fixed folder names rather than GNUInstallDirs: the program folder is lib/tolvane on every
# system, and the links in bin point at it relatively, so that P can be any folder.
set(TOLVANE_PROGRAM_DIR lib/tolvane)

foreach(program Tolvane TolvaneSetup tolvane-cli)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION ${TOLVANE_PROGRAM_DIR})
    endif()
endforeach()

foreach(program Tolvane tolvane-cli)
    if(TARGET ${program})
        set(link ${CMAKE_BINARY_DIR}/install-links/${program})
        file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install-links)
        file(CREATE_LINK ../${TOLVANE_PROGRAM_DIR}/${program} ${link} SYMBOLIC)
        install(FILES ${link} DESTINATION bin)
    endif()
endforeach()

# The help and the read-me come with the GUI; until they exist there is nothing to install.
install(FILES
    ${CMAKE_SOURCE_DIR}/resources/help/Tolvane.hlp
    ${CMAKE_SOURCE_DIR}/resources/help/Tolvane.cnt
    ${CMAKE_SOURCE_DIR}/resources/Readme.txt
    DESTINATION ${TOLVANE_PROGRAM_DIR} OPTIONAL)
install(FILES ${CMAKE_SOURCE_DIR}/resources/Tolvane.installation
    DESTINATION ${TOLVANE_PROGRAM_DIR})

if(TOLVANE_GUI)
    install(FILES ${TOLVANE_ICON_SVG} DESTINATION share/icons/hicolor/scalable/apps)
    foreach(size ${TOLVANE_ICON_SIZES})
        install(FILES ${TOLVANE_ICON_DIR}/${size}x${size}/tolvane.png
            DESTINATION share/icons/hicolor/${size}x${size}/apps)
    endforeach()
    install(FILES ${CMAKE_SOURCE_DIR}/resources/desktop/${TOLVANE_DESKTOP_ID}.metainfo.xml
        DESTINATION share/metainfo)
    # The desktop entry names the installed program by its absolute path, which is known
    # only when installing (--prefix, or the package's /usr).
    install(CODE "set(TOLVANE_DESKTOP_TEMPLATE \"${CMAKE_SOURCE_DIR}/resources/desktop/${TOLVANE_DESKTOP_ID}.desktop.in\")
set(TOLVANE_DESKTOP_NAME \"${TOLVANE_DESKTOP_ID}.desktop\")
set(TOLVANE_PROGRAM_DIR \"${TOLVANE_PROGRAM_DIR}\")")
    install(SCRIPT ${CMAKE_SOURCE_DIR}/cmake/InstallDesktopEntry.cmake)
endif()
