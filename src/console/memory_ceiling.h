// The console's ceiling on its own memory. With the kernel's overcommit an
// allocation past what the machine has succeeds and the out-of-memory killer
// ends the process later, variables and all; under a ceiling on the address
// space the allocation itself fails, and the line gets "Out of memory.".
#pragma once

#include <cstdint>

namespace expreval {

// The share of the machine's memory the console may take: the rest is left
// to the kernel and to the other programs running beside it.
inline constexpr uint64_t kMemoryShareNumerator = 3;
inline constexpr uint64_t kMemoryShareDenominator = 4;

// The ceiling for a machine with physical bytes of memory, in a control group
// allowed groupLimit bytes (0 when it sets none), for a process already held
// to currentLimit bytes of address space: three quarters of the smaller of
// the first two, never above currentLimit.
uint64_t ChooseMemoryCeiling(uint64_t physical, uint64_t groupLimit, uint64_t currentLimit);

// Holds this process to the ceiling chosen for the machine it runs on. Does
// nothing under AddressSanitizer, which reserves far more address space than
// it uses.
void ApplyMemoryCeiling();

}  // namespace expreval
