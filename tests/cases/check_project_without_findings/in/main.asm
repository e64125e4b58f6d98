;* Liest eine Zeile.
;*@see:
;* WriteLine, LINEBUF
ReadLine PROC
INCLUDE io.inc
LINEBUF STRUC
LINEBUF ENDS
