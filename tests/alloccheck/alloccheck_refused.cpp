// Starts the checker; built once optimised and once without frame pointers,
// it must be refused both times before it says it started.

#include "alloccheck/AllocCheck.h"

#include <cstdio>

int main()
{
    StartAllocCheck();
    std::puts("started");
    return 0;
}
