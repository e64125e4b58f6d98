;* Der Einstieg.
;*@see:
;* Open, Close
Main PROC
