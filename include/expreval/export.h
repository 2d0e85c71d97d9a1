// EXPREVAL_API marks what a host may use. The library is compiled with every
// other symbol hidden, so a shared libexpreval exports the marked ones alone.
#pragma once

#if defined(__GNUC__)
#define EXPREVAL_API __attribute__((visibility("default")))
#else
#define EXPREVAL_API
#endif
