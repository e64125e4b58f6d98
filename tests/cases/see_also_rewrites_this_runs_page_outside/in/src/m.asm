;*@see:
;* S
P PROC
S STRUC
S ENDS
