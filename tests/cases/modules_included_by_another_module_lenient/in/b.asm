        INCLUDE h.inc
;* Modul B, auch von A eingebunden.
B PROC
