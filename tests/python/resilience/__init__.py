"""Failing host calls, host callbacks into running commands, and leaks over long loops."""
