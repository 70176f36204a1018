# SPDX-License-Identifier: GPL-3.0-or-later
# Run while installing: writes the desktop entry with the installed
# program's full path on its Exec line, quoted as desktop entries want it.
set(program "${CMAKE_INSTALL_PREFIX}/bin/corvanta")
# Inside the quotes, " ` $ and \ take a backslash; % is doubled; then the
# whole value is a desktop-entry string, whose backslashes are doubled.
string(REPLACE "\\" "\\\\" program "${program}")
string(REPLACE "\"" "\\\"" program "${program}")
string(REPLACE "`" "\\`" program "${program}")
string(REPLACE "$" "\\$" program "${program}")
string(REPLACE "%" "%%" program "${program}")
string(REPLACE "\\" "\\\\" program "${program}")
set(CORVANTA_INSTALLED_PROGRAM "\"${program}\"")
configure_file("${CORVANTA_DESKTOP_IN}" "${CORVANTA_DESKTOP_OUT}" @ONLY)
