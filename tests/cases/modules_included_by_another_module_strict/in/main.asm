;* Der Einstieg.
;*@see:
;* A, B, H
Main PROC
