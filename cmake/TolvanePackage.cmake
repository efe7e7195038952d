# The Debian package (scripts/package): the install layout under /usr, built with CPack.
# Installing it gives the application menu entry; TolvaneSetup then prepares each user.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tolvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "Orrindale <tolvane@orrindale.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "POP3 mail checker with a Japanese user interface")
set(CPACK_PACKAGE_DESCRIPTION [=[
Tolvane watches several POP3 mailboxes without downloading or removing mail:
it logs in, fetches only the header and a few body lines of each message and
shows one list of all mails, with a Japanese user interface. It can report
only mails not seen before, delete marked mails on the server after
re-checking their unique ids, delete mails some days after they were first
seen, and logs every server conversation.

tolvane-cli runs the same checks from a terminal. After installing the
package, each user runs TolvaneSetup once to prepare the settings (and to
remove them again with TolvaneSetup /u).]=])
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION mail)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The Qt libraries come from the programs' own links; what Qt loads as plugins (the window
# system, SVG icons), Qt's own Japanese texts (standard buttons and dialogs) and the
# Japanese glyphs do not show there.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, libqt6svg6, qt6-translations-l10n, fonts-noto-cjk | fonts-ipafont-gothic | fonts-vlgothic")
# libsecret comes from the programs' own links too; a keyring that serves it is the
# desktop's choice (without one, passwords stay in the settings file).
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "gnome-keyring | keepassxc, libsecret-tools")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
