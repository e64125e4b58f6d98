; =================================================================
; Beispielprojekt: ein kleiner Zeilenleser
; =================================================================
        .MODEL SMALL
        INCLUDE inc\defs.inc
        INCLUDE lib\io.inc
        INCLUDE lib\text\convert.inc
        INCLUDELIB kernel32.lib

COMMENT #
  Dieser Block wird vom Assembler und von pirVex Åbersprungen.
#

;* Bereitet Puffer und Bildschirm vor.
;*@see:
;* ReadLine, SerialWrite
Init:
        ret

;* Liest eine Zeile von der Tastatur in den Puffer.
;* Die Zeile endet mit CR; zur Grî·e des Puffers siehe LINEBUF.
;*@Parameter:
;* DS:DX  Adresse des Puffers
;*@Ergebnis:
;* AX     Anzahl der gelesenen Zeichen
;*@see:
;* GetKey, LINEBUF
;* WriteLine, ToUpper
ReadLine PROC NEAR
        mov  ah, 0Ah
        int  21h
        call WriteLine
        ret
ReadLine ENDP

;*@PUBLIC: GetKey
;* Wartet auf einen Tastendruck und liefert ihn als KEYEVENT.
;*@see:
;* ReadLine, KEYEVENT
ReadChar PROC NEAR
        mov  ah, 01h
        int  21h
        jz   ReadChar
        ret
ReadChar ENDP

Helper PROC NEAR
        call ReadChar
        call near ptr ReadLine
        ret
Helper ENDP
        END
