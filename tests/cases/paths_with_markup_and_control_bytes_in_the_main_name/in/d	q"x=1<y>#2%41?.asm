;* Haupt.
;*@see:
;* Teil
Main PROC
INCLUDE sub/k.inc
