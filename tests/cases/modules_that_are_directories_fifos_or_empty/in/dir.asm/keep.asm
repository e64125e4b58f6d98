Kept PROC
