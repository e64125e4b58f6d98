; =================================================================
; Beispielprojekt: ein kleiner Zeilenleser
; =================================================================
        .MODEL SMALL
        INCLUDE inc\defs.inc
        INCLUDE lib\io.inc

;* Liest eine Zeile von der Tastatur in den Puffer.
;* Die Zeile endet mit CR; zur Gr”áe des Puffers siehe LINEBUF.
;*@Parameter:
;* DS:DX  Adresse des Puffers
;*@Ergebnis:
;* AX     Anzahl der gelesenen Zeichen
;*@see:
;* GetKey, LINEBUF
;* WriteLine
ReadLine PROC NEAR
        mov  ah, 0Ah
        int  21h
        ret
ReadLine ENDP

;*@PUBLIC: GetKey
;* Wartet auf einen Tastendruck.
;*@see:
;* ReadLine
ReadChar PROC NEAR
        mov  ah, 01h
        int  21h
        ret
ReadChar ENDP

Helper PROC NEAR
        ret
Helper ENDP
        END
