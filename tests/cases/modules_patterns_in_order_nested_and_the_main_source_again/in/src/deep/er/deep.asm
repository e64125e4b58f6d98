;* Tief unten.
;*@see:
;* Main
Deep PROC
