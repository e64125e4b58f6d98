;* Reads one line.
Foo PROC
  ret
Foo ENDP
