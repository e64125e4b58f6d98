;*@CONFIG-TAB: a"b 1> <2
;*@PUBLIC: A"b<c>d „
;*@see:
;* S"<x>, Q">
Impl PROC
;*@CONFIG-TAB:
Q"> PROC
S"<x> STRUC
 f db 1
S"<x> ENDS
