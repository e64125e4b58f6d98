	include a.inc
	include b.inc
	include c.inc
	include d.inc
	include lib\x.inc
	include missing.inc
;* Main.
;*@see:
;*   A, B, C, D, X, Y
Main PROC
Main ENDP
