# The install layout, for `cmake --install build --prefix P` and for the package (P = /usr):
#   P/lib/tolvane/     the program folder: Tolvane, TolvaneSetup, tolvane-cli and the shipped
#                      files Tolvane.hlp, Tolvane.cnt, Readme.txt (found beside the programs)
#                      and the marker Tolvane.installation, without which TolvaneSetup /u
#                      deletes nothing there
#   P/bin/             links to Tolvane and tolvane-cli
#   P/share/applications/, P/share/icons/hicolor/, P/share/metainfo/
#   P/share/man/ (man1, ja/man1), P/share/doc/tolvane/ (changelog.gz, copyright)
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

# The manual pages (P/share/man/, tolvane-cli's also in Japanese) and the package's
# changelog and copyright (P/share/doc/tolvane/), compressed as Debian has them: gzip -9n
# keeps no name or time stamp, so two builds give the same bytes.
find_program(TOLVANE_GZIP gzip REQUIRED)
set(TOLVANE_GZ_DIR ${CMAKE_BINARY_DIR}/compressed)
set(TOLVANE_GZ_FILES)
function(tolvane_compressed source output)
    add_custom_command(OUTPUT ${TOLVANE_GZ_DIR}/${output}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${TOLVANE_GZ_DIR}/ja
        COMMAND sh -c "\"$0\" -9nc \"$1\" > \"$2\"" ${TOLVANE_GZIP} ${source}
            ${TOLVANE_GZ_DIR}/${output}
        DEPENDS ${source} VERBATIM)
    set(TOLVANE_GZ_FILES ${TOLVANE_GZ_FILES} ${TOLVANE_GZ_DIR}/${output} PARENT_SCOPE)
endfunction()
set(TOLVANE_MAN_DIR ${CMAKE_SOURCE_DIR}/resources/man)
tolvane_compressed(${TOLVANE_MAN_DIR}/tolvane-cli.1 tolvane-cli.1.gz)
tolvane_compressed(${TOLVANE_MAN_DIR}/ja/tolvane-cli.1 ja/tolvane-cli.1.gz)
tolvane_compressed(${CMAKE_SOURCE_DIR}/resources/debian/changelog changelog.gz)
if(TARGET Tolvane)
    tolvane_compressed(${TOLVANE_MAN_DIR}/Tolvane.1 Tolvane.1.gz)
    install(FILES ${TOLVANE_GZ_DIR}/Tolvane.1.gz DESTINATION share/man/man1)
endif()
add_custom_target(tolvane_compressed_files ALL DEPENDS ${TOLVANE_GZ_FILES})
install(FILES ${TOLVANE_GZ_DIR}/tolvane-cli.1.gz DESTINATION share/man/man1)
install(FILES ${TOLVANE_GZ_DIR}/ja/tolvane-cli.1.gz DESTINATION share/man/ja/man1)
install(FILES ${TOLVANE_GZ_DIR}/changelog.gz ${CMAKE_SOURCE_DIR}/resources/debian/copyright
    DESTINATION share/doc/tolvane)
