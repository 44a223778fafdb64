// The run last chosen for loading from the clock, until the runs page defines it
// (weak: the runs page's own definition takes its place).
__attribute__((weak)) int Q31DerMancheChargeeG = 1;
