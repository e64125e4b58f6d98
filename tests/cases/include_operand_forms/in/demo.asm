INCLUDE "defs.inc"
INCLUDE " my defs.inc"
include_path equ 5
INCLUDELIB kernel32.lib
  IncludeLib user32.lib
INCLUDE missing.inc
INCLUDE empty.inc
INCLUDE defs.inc
