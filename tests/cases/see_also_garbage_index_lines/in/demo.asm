;*@see:
;* x
P PROC
