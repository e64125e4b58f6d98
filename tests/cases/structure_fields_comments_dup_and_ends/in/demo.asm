POINT STRUC
  x dd 0 ; horizontal
  buf db 16 DUP (?)
  ; a comment

  ;* doc
  COMMENT # skipped
 row # y dw
  deep db 2 dup ((1)) <>
  open db 3 Dup ( 7, 8
  none db 4 DUP
  one
  two words
  a<b> c&d e>f
POINT ENDS
tab	STRUC
FRIENDS struct
  friends db 0
  never db 1
