Start PROC
	cmp	al, 3
	je	GOTDJ			;then proceed
;* A label whose line holds tabs.
;*@see:
;*   Start, Frame
Next	step:
	ret
Start ENDP
Frame STRUC
  back dw ?
Frame ENDS
