;*@PUBLIC: Api
;* Does things.
Impl PROC
 ret
Impl ENDP
;* First.
;* Second.
;*@PUBLIC: Late
;* Text.
Later PROC
Later ENDP
;*@PUBLIC:
;* Empty public.
Plain PROC
Plain ENDP
Undoc PROC
Undoc ENDP
