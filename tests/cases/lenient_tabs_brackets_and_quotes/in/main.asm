	include <defs.inc>
	include 'defs.inc'
	include "defs.inc"
	include	<io.inc>
;* Main.
;*@see:
;*   POINT, Print
Main	PROC
	cmp	al, 3
	je	GOTDJ			;then proceed
Main	ENDP
