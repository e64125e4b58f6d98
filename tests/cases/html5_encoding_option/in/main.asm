;* Größe in ISO 8859-1, „ ist dort kein Zeichen.
Laenge PROC
Laenge ENDP
