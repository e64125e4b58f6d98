window.PIRVEX_INDEX=[
["Laenge","p","main.html#Laenge","main.asm","Größe in ISO 8859-1, � ist dort kein Zeichen."]
];
