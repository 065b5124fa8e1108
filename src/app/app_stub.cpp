// Placeholder until the shell pieces land.
