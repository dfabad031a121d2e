#pragma once

/// The CPUs the calling thread may run on (its CPU affinity, which is what a batch scheduler such
/// as Slurm restricts to a job's allocation), at least 1. This, not the machine's core count, is
/// what "one thread per core" means: threads beyond it only take turns.
int usableCores();
