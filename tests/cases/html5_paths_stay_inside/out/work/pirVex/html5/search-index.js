window.PIRVEX_INDEX=[
["Start","p","BackLinks/src/index.html#Start","..\\src\\index.asm","Die Hauptdatei heisst index wie Startseite."],
["Hilfe","p","BackLinks_/lib/hilfe_inc.html#Hilfe","..\\lib\\hilfe.inc","Hilft."]
];
