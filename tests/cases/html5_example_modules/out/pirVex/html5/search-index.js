window.PIRVEX_INDEX=[
["Init","p","main.html#Init","main.asm","Bereitet Puffer und Bildschirm vor. see: ReadLine, SerialWrite"],
["ReadLine","p","main.html#ReadLine","main.asm","Liest eine Zeile von der Tastatur in den Puffer. Die endet mit CR; zur Größe des Puffers siehe LINEBUF. Parameter: DS:DX Adresse Ergebnis: AX Anzahl gelesenen Zeichen see: GetKey, LINEBUF WriteLine, ToUpper"],
["GetKey","p","main.html#GetKey","main.asm","Wartet auf einen Tastendruck und liefert ihn als KEYEVENT. see: ReadLine, KEYEVENT"],
["Helper","p","main.html#Helper","main.asm",""],
["WriteLine","p","lib/io_inc.html#WriteLine","lib\\io.inc","Schreibt eine Zeile auf den Bildschirm. Parameter: DS:SI Adresse der see: ReadLine, LINEBUF"],
["WriteChar","p","lib/io_inc.html#WriteChar","lib\\io.inc","Schreibt ein Zeichen auf den Bildschirm. see: WriteLine"],
["ToUpper","p","lib/text/convert_inc.html#ToUpper","lib\\text\\convert.inc","Wandelt die Zeile in Großbuchstaben um; Umlaute bleiben unverändert. see: ToLower, WriteLine"],
["ToLower","p","lib/text/convert_inc.html#ToLower","lib\\text\\convert.inc","Wandelt die Zeile in Kleinbuchstaben um. see: ToUpper, CASETABLE"],
["SerialWrite","p","serial_asm.html#SerialWrite","serial.asm","Sendet eine Zeile über die serielle Schnittstelle. Parameter: DS:SI Adresse der see: SerialOpen, ReadLine, WriteLine"],
["SerialOpen","p","serial_asm.html#SerialOpen","serial.asm","SerialOpen inp: DX = Nummer der Schnittstelle (0 COM1) out: Erfolg: AX 1 Fehler: 0, BL Fehlercode"],
["LINEBUF","s","inc/defs_inc.html#LINEBUF","inc\\defs.inc","Ein Puffer für eine Zeile."],
["KEYEVENT","s","inc/defs_inc.html#KEYEVENT","inc\\defs.inc",""],
["CASETABLE","s","lib/text/convert_inc.html#CASETABLE","lib\\text\\convert.inc",""]
];
