;* Would be documented.
X PROC
X ENDP
