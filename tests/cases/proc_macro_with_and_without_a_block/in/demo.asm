;* Liest die Dateiinfo.
;*@see:
;* Process, CloseAll, WinMain
procedure GET_FILE_INFO,NEAR
  call CloseAll
EndProc GET_FILE_INFO
;--- Verarbeitet eine Datei.
procedure Process,NEAR
  ret
PROCEDURE	CloseAll ; schliesst alles
procedure
procedure   ,NEAR
cProc WinMain,<FAR,PUBLIC>
Plain PROC
