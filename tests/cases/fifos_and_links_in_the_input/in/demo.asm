SA STRUC
SA ENDS
INCLUDE lib\a.inc
INCLUDE pipe.inc
INCLUDE outside\b.inc
