; a sample that only includes its headers
	include inc\windows.inc
	include inc\ole2.inc
