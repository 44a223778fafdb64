// Placeholder until this subsystem's first module lands.
