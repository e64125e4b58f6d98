;* Intro
;*@Notes:
;* item
  INCLUDE inner.inc
;* After.
Later PROC
