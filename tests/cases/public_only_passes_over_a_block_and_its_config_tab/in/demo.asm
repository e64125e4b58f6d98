;* Internal notes.
;*@CONFIG-TAB: skipped.gif 1 2
; a plain comment
;* More.
;*@PUBLIC: Api
;* Does things.
Impl PROC
