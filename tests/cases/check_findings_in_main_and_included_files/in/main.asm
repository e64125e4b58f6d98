;* Liest eine Zeile.
;*@see:
;* WriteLine, Schreib, readline,
;* Gr”áe, LINEBUF
;*@Parameter:
;* Fehlt  kein Name, nur ein Parameter
ReadLine PROC
INCLUDE lib\io.inc
INCLUDE missing.inc
;* Ein Kopf ohne Prozedur darunter

;* Die Felder des Puffers.
LINEBUF STRUC
  len db ?
LINEBUF ENDS
;* Noch einmal: nur eine Verbindung fuehrt hierher.
ReadLine PROC
