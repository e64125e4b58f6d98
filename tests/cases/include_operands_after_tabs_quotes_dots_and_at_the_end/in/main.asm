Main PROC
INCLUDE	tab.inc
include  spaced.inc	; comment
INCLUDE "quoted.inc"; x
INCLUDEx.inc
INCLUDE sub/slash.inc
INCLUDE a..b.inc
INCLUDE dot.
INCLUDE 
INCLUDE end.inc