# The package a user receives: the block, the stand-in host, the virtual
# IOW24 in a folder of its own (so that it never shadows the vendor's
# iowkit.dll) and the guide.
install(FILES $<TARGET_FILE:rtc_iow24> $<TARGET_FILE:rtc_host> DESTINATION .)
install(FILES $<TARGET_FILE:iowkit> DESTINATION virtuel)
# The guide with Windows line ends, for Notepad.
configure_file(${PROJECT_SOURCE_DIR}/doc/LISEZMOI.txt ${CMAKE_BINARY_DIR}/doc/LISEZMOI.txt
  @ONLY NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_BINARY_DIR}/doc/LISEZMOI.txt DESTINATION .)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME rtc_iow24)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(CPACK_SYSTEM_NAME win32)
else()
  set(CPACK_SYSTEM_NAME win64)
endif()
set(CPACK_PACKAGE_FILE_NAME rtc_iow24-${PROJECT_VERSION}-${CPACK_SYSTEM_NAME})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
