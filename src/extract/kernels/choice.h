// Which kernels a run uses: chosen once, from the processor, or forced by
// H7_KERNEL=avx512|avx2|scalar. Apart from kernels.h, so that the vector files see no Qt.
#pragma once

#include "core/messages.h"
#include "extract/kernels/kernels.h"

namespace h7 {

// The kernels H7_KERNEL names (letter case and blanks around the name aside), or without
// it the fastest the processor has; a failure (exit status 2) when it names no kernel or
// one that the processor lacks, each with its own message.
Result<const Kernels*> chooseKernels();

// The kernels in use, chosen once at first use (the fastest where H7_KERNEL is not
// usable: every program refuses such a value at start, through refusedKernelChoice).
const Kernels& activeKernels();

// Every program's first step: 0 when H7_KERNEL is unset or usable; else its failure's
// description written to standard error, and the exit status to end with.
int refusedKernelChoice();

}  // namespace h7
