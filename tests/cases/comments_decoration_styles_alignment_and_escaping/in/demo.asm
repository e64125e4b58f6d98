; demo.asm: Beispiel fuer Kommentare, wie sie schon dastehen
; zweite Zeile der Dateibeschreibung
FirstProc PROC          ; Kommentar in der Zeile
  ret
FirstProc ENDP

;--- UMBalloc
;--- inp: DX=size of block in paragraphs, size=0 is allowed
;--- out: success: AX=1, BX=segment, DX=size
;---      error:   AX=0, BL=error code, DX=largest block

UMB_alloc proc
  ret
UMB_alloc endp
;=== Gleich-Verzierung
;===
;=== zweiter Absatz
Equals PROC
Equals ENDP
;***
;*** Sterne am Anfang: eine Dokumentationszeile
;***
Stars PROC
;; doppelte Semikolons
;;   eingerueckt
Double PROC
;*****************************
;  Im Banner: <b>fett</b> & Co. Gr”áe
;*****************************
Banner PROC
; Spalten:
;   AX    Ergebnis
;   BX    Zeiger
	; ~~~ Tilde, Raute ### und + / ! _
Columns PROC
; zwei Leerzeilen trennen


Separated PROC
COMMENT #
 Im COMMENT-Block
#
Directive PROC
; einfache Zeile ueber einem Block
;* Der ;*-Block gewinnt.
Documented PROC
; -----------
Empty PROC ; ----
