        INCLUDE b.asm
        INCLUDE h.inc
;* Modul A.
A PROC
