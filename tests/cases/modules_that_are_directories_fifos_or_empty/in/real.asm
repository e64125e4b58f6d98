Real PROC
