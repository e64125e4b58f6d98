Far PROC
