;* Reads a line.
;*@see:
;*   ReadLine, WriteLine
;* Missing
;*@see:
;* Dual.
;* Dual
;* Gr”áe
ReadLine PROC
Dual PROC
Dual STRUC
Dual ENDS
  INCLUDE a\b\types.inc
Gr”áe PROC
