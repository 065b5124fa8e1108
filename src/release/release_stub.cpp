// Placeholder until the release channel lands.
