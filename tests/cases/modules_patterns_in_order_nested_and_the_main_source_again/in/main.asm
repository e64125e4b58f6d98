;* Der Einstieg.
;*@see:
;* Open, Parse, Deep, Zeta
Main PROC
