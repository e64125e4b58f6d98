; =================================================================
; serial.asm: die serielle Schnittstelle, ein Modul fÅr sich
; =================================================================
        .MODEL SMALL

;* Sendet eine Zeile Åber die serielle Schnittstelle.
;*@Parameter:
;* DS:SI  Adresse der Zeile
;*@see:
;* SerialOpen, ReadLine, WriteLine
SerialWrite PROC NEAR
        call SerialOpen
        call WriteLine
        ret
SerialWrite ENDP

;--- SerialOpen
;--- inp: DX = Nummer der Schnittstelle (0 = COM1)
;--- out: Erfolg: AX = 1
;---      Fehler: AX = 0, BL = Fehlercode

SerialOpen PROC NEAR
        mov  ah, 00h
        int  14h
        ret
SerialOpen ENDP
        END
