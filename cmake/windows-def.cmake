# Module definition files for the Windows DLLs. On 32-bit Windows the
# standard-call symbols carry the argument size ("CCalculate@12"); on 64-bit
# Windows there is one convention and no decoration, so the decorated names
# are aliases there.
#
# windows_exports(FILE LIBRARY name [PLAIN_AND_DECORATED] [ORDINALS] [NONAME]
#                 FUNCTIONS fn bytes fn bytes ...)
function(windows_exports file)
  cmake_parse_arguments(arg "PLAIN_AND_DECORATED;ORDINALS;NONAME" "LIBRARY" "FUNCTIONS" ${ARGN})
  set(text "LIBRARY ${arg_LIBRARY}\nEXPORTS\n")
  set(ordinal 1)
  list(LENGTH arg_FUNCTIONS count)
  math(EXPR last "${count} - 1")
  foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET arg_FUNCTIONS ${i} name)
    list(GET arg_FUNCTIONS ${j} bytes)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      set(symbol "${name}@${bytes}")
    else()
      set(symbol "${name}")
    endif()
    set(entry "    ${symbol}")
    if(arg_ORDINALS)
      string(APPEND entry " @${ordinal}")
      math(EXPR ordinal "${ordinal} + 1")
    endif()
    if(arg_NONAME)
      string(APPEND entry " NONAME")
    endif()
    string(APPEND text "${entry}\n")
    if(arg_PLAIN_AND_DECORATED)
      if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        string(APPEND text "    ${name} = ${symbol}\n")
      else()
        string(APPEND text "    ${name}@${bytes} = ${symbol}\n")
      endif()
    endif()
  endforeach()
  file(WRITE ${file} "${text}")
endfunction()

# The block's entry points and the device library's functions, with the
# byte size of their arguments on 32-bit Windows.
set(BLOCK_ENTRY_POINTS
  NumInputs 0 NumOutputs 0 GetInputName 8 GetOutputName 8
  CSimStart 12 CSimStop 12 CConfigure 4 CCalculate 12)
set(IOWKIT_FUNCTIONS
  IowKitOpenDevice 0 IowKitCloseDevice 4 IowKitRead 16 IowKitWrite 16)
