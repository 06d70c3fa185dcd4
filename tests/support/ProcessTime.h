// Processor time of the running process, for checks and benchmarks that a
// piece of work has really stopped.
#pragma once

// Milliseconds of processor time (kernel and user) this process has used.
double ProcessCpuMs();
