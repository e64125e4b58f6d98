;* Parses.
; plain comment
Parse:
  ret
;* Orphan.

Lone PROC
;* Stopped.
COMMENT # x #
After PROC
COMMENT # skipped # Foo PROC
  call ProcessLine
Bar	PROC
Loop1:
  jmp Loop1
