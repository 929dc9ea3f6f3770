"""Presets: the window's commands, the file functions, and the file shared between sessions."""
