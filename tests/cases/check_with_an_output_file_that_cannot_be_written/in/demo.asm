;* Liest.
;*@see:
;* Fehlt
X PROC
INCLUDE sub\y.inc
