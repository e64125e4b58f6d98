;* Die Hauptdatei heisst index wie die Startseite.
Start PROC
        call Hilfe
Start ENDP
        INCLUDE ..\lib\hilfe.inc
        INCLUDE C:\dos\int21.inc
