// Placeholder until the browser wrapper lands.
