# Install-time part of the install layout: writes the application's desktop entry with the
# installed program's absolute path. Set by the install code before it:
# TOLVANE_DESKTOP_TEMPLATE, TOLVANE_DESKTOP_NAME, TOLVANE_PROGRAM_DIR.
get_filename_component(prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
set(program "${prefix}/${TOLVANE_PROGRAM_DIR}/Tolvane")

# TryExec is a plain string value; Exec quotes its argument where the launcher format
# reserves a character, escaping ", `, $ and \ inside the quotes. Both escape \ once more as
# string values, and a % is doubled in Exec.
string(REPLACE "\\" "\\\\" TOLVANE_TRYEXEC "${program}")
if(program MATCHES "^[-A-Za-z0-9/._+,=:@]+$")
    set(exec "${program}")
else()
    string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" exec "${program}")
    set(exec "\"${exec}\"")
endif()
string(REPLACE "%" "%%" exec "${exec}")
string(REPLACE "\\" "\\\\" TOLVANE_EXEC "${exec}")

set(target "$ENV{DESTDIR}${prefix}/share/applications/${TOLVANE_DESKTOP_NAME}")
message(STATUS "Installing: ${target}")
configure_file("${TOLVANE_DESKTOP_TEMPLATE}" "${target}" @ONLY)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${target}")
