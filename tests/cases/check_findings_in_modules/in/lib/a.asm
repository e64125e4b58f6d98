;* Oeffnet.
;*@see:
;* Main, Clsoe
Open PROC
;* Schliesst (auch in src\b.asm dokumentiert).
Close PROC
