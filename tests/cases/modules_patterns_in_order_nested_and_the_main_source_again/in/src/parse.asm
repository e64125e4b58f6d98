;* Liest, ohne Kopftabelle: das Modul beginnt ohne sie.
Parse PROC
