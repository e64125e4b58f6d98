;*@config-tab: pics\bar.gif   600	 30
Foo PROC
;* Doc.
Bar PROC
;*@CONFIG-TAB: a 1
Baz PROC
