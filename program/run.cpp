// Placeholder until the run lands.
