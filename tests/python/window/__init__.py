"""The tool window as scripts open and drive it."""
