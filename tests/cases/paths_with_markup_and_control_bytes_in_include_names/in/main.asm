;* Ruft jede Datei.
;*@see:
;* Klammer, Raute, Prozent, Frage, Steuer, Loeschen, Zeile
Main PROC
INCLUDE <xss/pwn=1>.inc
INCLUDE h#1.inc
INCLUDE p%41.inc
INCLUDE q?x=1.inc
INCLUDE cde.inc
INCLUDE ef.inc
INCLUDE l
m.inc
