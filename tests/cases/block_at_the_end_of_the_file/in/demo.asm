X PROC
;* Last words
;*@Notes:
;* one