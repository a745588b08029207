# Values the program takes from the build: where an installation keeps its icon and
# documents relative to the program, and the maker's data (empty unless the build names it:
# an empty value hides its menu item and leaves its line out of the information box).
include_guard(GLOBAL)
include(GNUInstallDirs)

set(VELTRANO_PROGRAMM veltrano)
set(VELTRANO_ANZEIGENAME Veltrano)
# The picture the program draws for itself, saved as PNG files into the build tree.
set(VELTRANO_SYMBOL_ORDNER ${PROJECT_BINARY_DIR}/symbole)

set(VELTRANO_HERSTELLER "" CACHE STRING "Maker's name for the information box")
set(VELTRANO_ANSCHRIFT "" CACHE STRING "Maker's postal address, its lines separated by ';'")
set(VELTRANO_HOMEPAGE "" CACHE STRING "Address of the maker's home page (Programm-Homepage...)")
set(VELTRANO_MAIL "" CACHE STRING "Author's mail address (Mail an den Programmierer...)")
set(VELTRANO_SPENDEN "" CACHE STRING "Address of the donation page (Spenden...)")

# A CMake string as the body of a C++ string literal.
function(veltrano_cpp_text ausgabe text)
    string(REPLACE "\\" "\\\\" text "${text}")
    string(REPLACE "\"" "\\\"" text "${text}")
    string(REPLACE "\n" "\\n" text "${text}")
    set(${ausgabe} "${text}" PARENT_SCOPE)
endfunction()

# The program lies in <prefix>/bin; the rest is found from there, so any prefix works.
file(RELATIVE_PATH VELTRANO_DATEN_VOM_PROGRAMM /praefix/bin /praefix/${CMAKE_INSTALL_DATADIR})
set(VELTRANO_DOKU_ORDNER ${CMAKE_INSTALL_DATADIR}/doc/${VELTRANO_PROGRAMM})
file(RELATIVE_PATH VELTRANO_DOKU_VOM_PROGRAMM /praefix/bin /praefix/${VELTRANO_DOKU_ORDNER})
file(RELATIVE_PATH VELTRANO_SYMBOL_IM_BAUM ${PROJECT_BINARY_DIR}
     ${VELTRANO_SYMBOL_ORDNER}/256x256/apps/${VELTRANO_PROGRAMM}.png)

veltrano_cpp_text(BAU_HERSTELLER "${VELTRANO_HERSTELLER}")
string(REPLACE ";" "\n" anschrift "${VELTRANO_ANSCHRIFT}")
veltrano_cpp_text(BAU_ANSCHRIFT "${anschrift}")
veltrano_cpp_text(BAU_HOMEPAGE "${VELTRANO_HOMEPAGE}")
veltrano_cpp_text(BAU_MAIL "${VELTRANO_MAIL}")
veltrano_cpp_text(BAU_SPENDEN "${VELTRANO_SPENDEN}")
configure_file(${PROJECT_SOURCE_DIR}/src/common/Bauwerte.cpp.in ${PROJECT_BINARY_DIR}/erzeugt/Bauwerte.cpp @ONLY)

# The change history, beside the program in the build tree (where the help menu looks first)
# and in the documents folder of an installation.
configure_file(${PROJECT_SOURCE_DIR}/History.txt ${PROJECT_BINARY_DIR}/History.txt COPYONLY)
install(FILES ${PROJECT_SOURCE_DIR}/History.txt DESTINATION ${VELTRANO_DOKU_ORDNER})
