window.PIRVEX_INDEX=[
["UMB_alloc","p","kernel.html#UMB_alloc","kernel.asm","UMBalloc inp: DX=size out: AX=1 & BX=segment"],
["Release","p","kernel.html#Release","kernel.asm","gibt frei"],
["Plain","p","kernel.html#Plain","kernel.asm","Im Banner: Größe"]
];
