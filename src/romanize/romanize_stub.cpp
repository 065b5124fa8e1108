// Placeholder until the conversion lands.
