;* Main.
Main PROC
Main ENDP
	include C:\inc\dos.inc
	include c:bios.inc
	include \absent\root.inc
	include //server/share/absent.inc
