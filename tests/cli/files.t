@ a.txt
| x=2
| x*3
@ b.txt
| x+1
| y
| .
| never
# Files, standard input ("-") and expressions in the order given, in one
# session. A "." line ends only its own input; messages name the file.
$ expreval a.txt - b.txt -e x
< x*10
< .
< 5
> 2
> 6
> 20
> 3
> Error
> 2
! expreval: b.txt: line 2: Variable y does not exist.
? 1

# A file that cannot be opened: nothing is evaluated, status 2.
$ expreval a.txt missing.txt
! expreval: missing.txt could not be opened: No such file or directory
? 2

# After --, an argument that looks like an option is a file.
$ expreval -- -q
! expreval: -q could not be opened: No such file or directory
? 2

# Standard input named again goes on after the "." line that ended it: the
# lines read ahead with that one are not lost.
$ expreval - -e x -
< x=1
< .
< x+1
> 1
> 1
> 2
