# Quiet answers: the value alone, a line each. A failure writes Error, and its
# message on standard error with the number of its line, which counts every
# line read; empty lines are passed over; a "." line ends the input. Any
# failure makes the exit status 1.
$ expreval -q
< 1+2
< "a"+"b"
< zurp
< y
<
<
< 7/0
< x=4
< x*2
< .
< 9
> 3
> "ab"
> {1,2,3,4,5}
> Error
> Error
> 4
> 8
! expreval: line 4: Variable y does not exist.
! expreval: line 7: Division by 0 is not allowed.
? 1

# Every line answered: status 0, also at the end of input without a "." line.
$ expreval --quiet
< 2*3
<
< 4
> 6
> 4
