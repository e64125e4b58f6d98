;* Uses others.
;*@see:
;* <b>ReadLine</b>, <i>WriteLine</i>.
;* ReadLine,	WriteLine	,ReadLine
;* ReadLine. WriteLine, ReadLine;
;* Buf,Buf
Main PROC
ReadLine PROC
WriteLine PROC
Buf STRUC
Buf ENDS
