;*@PUBLIC: Api
;* Oeffentlich unter anderem Namen.
Impl PROC
Impl ENDP
; UTF-8: “Anführung” – und ein Strich
;* Zählt die Zeichen einer <b>Zeile</b> & mehr <script>x</script>.
;*@Parameter:
;* SI  Zeile, 0-terminiert
;*@see:
;* a"b, Dup, x<y>, BOX, Fehlt, Init, Api
main PROC
        call Dup
        call a"b
        call INIT
        call Impl
main ENDP
        INCLUDE dos.inc
;* Das erste Dup.
Dup PROC
Dup ENDP
;* Das zweite Dup, auf derselben Seite.
Dup PROC
        call main
Dup ENDP
;* Anführungszeichen im Namen.
a"b PROC
a"b ENDP
;* Spitze Klammern im Namen.
x<y> PROC
x<y> ENDP
;* Eine Marke.
Init:
        ret
rahmen BOX <>
;* Nur ein Doppelpunkt.
:
