REC STRUC
	x	dd	0	; tabs between the words

y dw 5


  z db 1 ; no dup here
  w dw 4 dupe
  n db 5 DUP ?
  m db 6 DUP ? ; (comment)
  p db 2 DUP (3 DUP (0))
  q db 7 DUP (1
  r dw 8 ; )
  s db 9 DUP(	?	)
REC ENDS
