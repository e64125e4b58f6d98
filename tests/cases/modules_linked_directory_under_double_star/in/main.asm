Main PROC
