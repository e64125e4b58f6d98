  INCLUDE defs.inc
Main PROC
