# The package a user receives, as a ZIP that two builds of the same commit
# make byte for byte alike: the block, the stand-in host, the virtual IOW24
# in a folder of its own (so that it never shadows the vendor's iowkit.dll),
# the guide, the three command files and the guide's example script, the
# teacher's three command files and the simulator's folder they show, binaries without debug symbols. The
# build tree keeps its binaries whole, for the tests and debuggers.
find_package(Python3 COMPONENTS Interpreter REQUIRED)

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(PACKAGE_SYSTEM win32)
else()
  set(PACKAGE_SYSTEM win64)
endif()
set(PACKAGE_TOP rtc_iow24-${PROJECT_VERSION}-${PACKAGE_SYSTEM})
set(PACKAGE_ZIP ${CMAKE_BINARY_DIR}/package/${PACKAGE_TOP}.zip)

# Text for Notepad and cmd.exe: Windows line ends.
set(package_text ${CMAKE_BINARY_DIR}/package/texte)
configure_file(${PROJECT_SOURCE_DIR}/doc/LISEZMOI.txt ${package_text}/LISEZMOI.txt
  @ONLY NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/doc/verifier_le_cablage.cmd
  ${package_text}/verifier_le_cablage.cmd @ONLY NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/doc/essayer_sans_materiel.cmd
  ${package_text}/essayer_sans_materiel.cmd @ONLY NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/doc/verifier_le_cablage_virtuel.cmd
  ${package_text}/verifier_le_cablage_virtuel.cmd @ONLY NEWLINE_STYLE CRLF)
# The teacher's: plant, see and clear the PC's exercise; see the room.
foreach(teacher planter_un_exercice voir_l_exercice effacer_l_exercice voir_la_salle)
  configure_file(${PROJECT_SOURCE_DIR}/doc/${teacher}.cmd ${package_text}/${teacher}.cmd
    @ONLY NEWLINE_STYLE CRLF)
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/doc/simulateur.txt ${package_text}/simulateur.txt
  @ONLY NEWLINE_STYLE CRLF)
# The guide's example script, as French Excel saves it.
configure_file(${PROJECT_SOURCE_DIR}/doc/essai.csv ${package_text}/essai.csv COPYONLY)
file(READ ${package_text}/essai.csv essai_csv)
string(REPLACE "\n" "\r\n" essai_csv "${essai_csv}")
file(WRITE ${package_text}/essai.csv "${essai_csv}")

add_custom_target(paquet ALL
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/cmake/paquet.py
    --zip ${PACKAGE_ZIP} --top ${PACKAGE_TOP} --strip ${CMAKE_STRIP}
    --source ${PROJECT_SOURCE_DIR}
    "$<TARGET_FILE:rtc_iow24>=rtc_iow24.dll:strip"
    "$<TARGET_FILE:rtc_host>=rtc_host.exe:strip"
    "$<TARGET_FILE:iowkit>=virtuel/iowkit.dll:strip"
    "${package_text}/LISEZMOI.txt=LISEZMOI.txt"
    "${package_text}/verifier_le_cablage.cmd=Verifier le cablage.cmd"
    "${package_text}/essayer_sans_materiel.cmd=Essayer sans materiel.cmd"
    "${package_text}/verifier_le_cablage_virtuel.cmd=Verifier le cablage virtuel.cmd"
    "${package_text}/essai.csv=essai.csv"
    "${package_text}/planter_un_exercice.cmd=enseignant/Planter un exercice.cmd"
    "${package_text}/voir_l_exercice.cmd=enseignant/Voir l'exercice.cmd"
    "${package_text}/effacer_l_exercice.cmd=enseignant/Effacer l'exercice.cmd"
    "${package_text}/voir_la_salle.cmd=enseignant/Voir la salle.cmd"
    "${package_text}/simulateur.txt=enseignant/simulateur.txt"
  DEPENDS rtc_iow24 rtc_host iowkit
  COMMENT "The ZIP package: ${PACKAGE_ZIP}"
  VERBATIM)
