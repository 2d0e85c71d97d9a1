# -e: each expression in turn, in one session, answered alone; standard input
# is not read.
$ expreval -e x=6 -e x*7 -e "\"n\".x"
< 5
> 6
> 42
> "n6"

# A failure names the expression by its place among the -e options; the
# others are still answered. The expression may follow -e directly.
$ expreval -e 1+2 -e y -e3
> 3
> Error
> 3
! expreval: expression 2: Variable y does not exist.
? 1

$ expreval -e
! expreval: option -e needs an expression; see expreval --help
? 2
