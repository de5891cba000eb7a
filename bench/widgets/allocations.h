// Counts heap allocations made by this program (operator new is replaced), so a
// benchmark can report how many a piece of work makes.
#pragma once

#include <cstdint>

uint64_t AllocationCount();
