window.PIRVEX_INDEX=[
["Start","p","index_.html#Start","index.asm","Die Startseite und diese Seite hiessen beide index.html."]
];
