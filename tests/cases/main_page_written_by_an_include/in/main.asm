	INCLUDE main
