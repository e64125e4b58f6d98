;* Documented first.
X PROC
INCLUDE pirVex/main.HTM
;* Documented after the include.
Y PROC
;*@see:
;* X
Z PROC
S STRUC
S ENDS
