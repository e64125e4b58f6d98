;*@CONFIG-TAB: ..\img\kopf.png 500 20
;* Letzter nach Namen, doch erstes Muster.
;*@see:
;* Main, Open
Zeta PROC
