; only a comment
  mov ax, bx
