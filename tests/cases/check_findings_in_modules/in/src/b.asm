;* Schliesst noch einmal.
Close PROC
;* Hier stand einst eine Prozedur.
        call Open
