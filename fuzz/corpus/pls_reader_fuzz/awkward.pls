[playlist]
numberofentries=5
File3=http://three.example/stream
title1=First Station
FILE1=http://one.example/live
Length1=-1
Title3 = Third = Best
; a comment
Title7=Title only
File10=mms://ten.example/x
Version=2
[other]
File2=http://other.example/
