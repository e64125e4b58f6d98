;*@see:
;* Old
P PROC
