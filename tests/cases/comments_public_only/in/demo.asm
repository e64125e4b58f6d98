; Kommentar ueber einer oeffentlichen Prozedur
; (der Datei erste Zeilen: ihr eigener Kommentar)

;*@PUBLIC: Api
; einfache Zeile im Block
Impl PROC
; nur intern
Internal PROC  ; auch intern
