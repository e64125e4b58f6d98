include ..\Lib\IO.inc
