INCLUDE demo.asm
INCLUDE a.inc
X PROC
