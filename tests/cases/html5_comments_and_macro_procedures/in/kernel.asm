;;; kernel.asm: Dateifunktionen
;;; (der eigene Kommentar der Datei)

;--- UMBalloc
;--- inp: DX=size  <in Absaetzen>
;--- out: AX=1 & BX=segment
procedure UMB_alloc,NEAR
  call Release
  ret
procedure Release,NEAR ; gibt frei
  ret
;*****************
;  Im Banner: Gr”áe
;*****************
Plain PROC
  call UMB_alloc
Plain ENDP
