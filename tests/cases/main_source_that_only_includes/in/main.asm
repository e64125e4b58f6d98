; the project: it only brings the library together
	include lib\io.inc
	include lib\mem.inc
