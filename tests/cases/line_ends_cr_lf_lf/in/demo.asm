X PROC

Y PROC
;* Doc.

;* Hidden
Z PROC
