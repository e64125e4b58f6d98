Main PROC
INCLUDE doc.inc
INCLUDE code.inc
