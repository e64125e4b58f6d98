;* Oeffnet.
;*@see:
;* Zeta
Open PROC
