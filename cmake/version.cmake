# A Windows version resource for each shipped binary: file and product
# version from the project's version, a French description, the product
# name and the original file name.
#
# windows_version(TARGET FILE_NAME DESCRIPTION)
# DESCRIPTION is Windows-1252 with octal escapes for what is not ASCII
# ("\351" is e acute).
function(windows_version target file_name description)
  set(RC_FILE_NAME ${file_name})
  set(RC_DESCRIPTION ${description})
  get_filename_component(RC_INTERNAL_NAME ${file_name} NAME_WE)
  if(file_name MATCHES "\\.exe$")
    set(RC_FILE_TYPE VFT_APP)
  else()
    set(RC_FILE_TYPE VFT_DLL)
  endif()
  set(rc ${CMAKE_BINARY_DIR}/version/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
