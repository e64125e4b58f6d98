window.PIRVEX_INDEX=[
["Api","p","main.html#Api","main.asm","Oeffentlich unter anderem Namen."],
["main","p","main.html#main-1","main.asm","Zählt die Zeichen einer Zeile & mehr x. Parameter: SI Zeile, 0-terminiert see: a\"b, Dup, x, BOX, Fehlt, Init, Api"],
["Dup","p","main.html#Dup","main.asm","Das erste Dup."],
["Dup","p","main.html#Dup-2","main.asm","Das zweite Dup, auf derselben Seite."],
["a\"b","p","main.html#a.22b","main.asm","Anführungszeichen im Namen."],
["x<y>","p","main.html#x.3Cy.3E","main.asm","Spitze Klammern im Namen."],
["Init","p","main.html#Init","main.asm","Eine Marke."],
[":","p","main.html#.3A","main.asm","Nur ein Doppelpunkt."],
["BOX","s","dos_inc.html#BOX","dos.inc","Größe des Rahmens ╔═╗, mit Steuerzeichen ␁."]
];
