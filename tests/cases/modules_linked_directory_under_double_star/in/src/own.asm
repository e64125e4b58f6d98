Own PROC
