# The export table: routine name and number of 32-bit argument words.
set(MORVANE_EXPORT_WORDS
  READINP 55  READINPW 18  FIL2LIST 1  MONWRITE 12  GETOBS 6  PREPOBS 7
  VAL_CRIT 8  MONPLOT 32  GETPANES 17  FKHCO3 1  FKCO3 1  FKOH 1  FKCACO3 1
  FLGKALOX 2  SEASALTS 3  ORGALL 6  EXCEED 8  MINPOLY 9  SHFTPOLY 7)
# Extensions beyond the model routines (stdcall on 32-bit Windows as well).
set(MORVANE_EXTENSION_WORDS
  morvane_set_stop_handler 1  morvane_version 0  morvane_last_message 1
  morvane_warning_count 0  morvane_warning 2)

# The names of all routines and extensions, in out_var.
function(morvane_export_names out_var)
  set(pairs ${MORVANE_EXPORT_WORDS} ${MORVANE_EXTENSION_WORDS})
  set(names "")
  while(pairs)
    list(POP_FRONT pairs name words)
    list(APPEND names ${name})
  endwhile()
  set(${out_var} ${names} PARENT_SCOPE)
endfunction()

# The names of the routines and extensions that the given shim sources define
# (a shim contains "MORVANE_CALL NAME("), each with its argument bytes n, as
# the list NAME n NAME n ... in out_var.
function(morvane_defined_exports out_var shims)
  set(text "")
  foreach(f IN LISTS shims)
    file(READ ${f} body)
    string(APPEND text "${body}")
  endforeach()
  set(result "")
  set(pairs ${MORVANE_EXPORT_WORDS} ${MORVANE_EXTENSION_WORDS})
  list(LENGTH pairs len)
  math(EXPR last "${len} - 1")
  foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET pairs ${i} name)
    list(GET pairs ${j} words)
    math(EXPR bytes "${words} * 4")
    string(FIND "${text}" "MORVANE_CALL ${name}(" pos)
    if(pos GREATER -1)
      list(APPEND result ${name} ${bytes})
    endif()
  endforeach()
  set(${out_var} ${result} PARENT_SCOPE)
endfunction()

# Writes a .def file that exports each defined routine: for 32-bit Windows
# under its plain name and under _NAME@n (the extensions under their plain
# names only), for 64-bit Windows under its plain name alone.
function(morvane_write_def out shims)
  morvane_defined_exports(defined "${shims}")
  set(def "LIBRARY morvane.dll\nEXPORTS\n")
  while(defined)
    list(POP_FRONT defined name bytes)
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
      string(APPEND def "  ${name}\n")
      continue()
    endif()
    string(APPEND def "  ${name} = ${name}@${bytes}\n")
    if(name MATCHES "^[A-Z]")
      string(APPEND def "  _${name}@${bytes} = ${name}@${bytes}\n")
    endif()
  endwhile()
  file(CONFIGURE OUTPUT ${out} CONTENT "${def}" @ONLY)
endfunction()

# Writes the .def file of the import library: every defined routine as NAME@n,
# so that a C or C++ caller's decorated stdcall reference (NAME@n) is bound to
# the plain exported NAME when dlltool is run with --kill-at.
function(morvane_write_implib_def out shims)
  morvane_defined_exports(defined "${shims}")
  set(def "LIBRARY morvane.dll\nEXPORTS\n")
  while(defined)
    list(POP_FRONT defined name bytes)
    string(APPEND def "  ${name}@${bytes}\n")
  endwhile()
  file(CONFIGURE OUTPUT ${out} CONTENT "${def}" @ONLY)
endfunction()

# Writes a linker version script that exports the routines and extensions only.
function(morvane_write_version_script out)
  set(pairs ${MORVANE_EXPORT_WORDS} ${MORVANE_EXTENSION_WORDS})
  set(text "{\n  global:\n")
  while(pairs)
    list(POP_FRONT pairs name words)
    string(APPEND text "    ${name};\n")
  endwhile()
  string(APPEND text "  local: *;\n};\n")
  file(CONFIGURE OUTPUT ${out} CONTENT "${text}" @ONLY)
endfunction()
