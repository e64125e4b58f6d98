;* Reads a line.
;*@see:
;* ReadChar
;* Parse
;*@ Other 
;*@
;*
;* <b>x</b> & ”
;*@See:
;* Parse
ReadLine PROC
