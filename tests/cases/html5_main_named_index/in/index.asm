;* Die Startseite und diese Seite hiessen beide index.html.
Start PROC
Start ENDP
