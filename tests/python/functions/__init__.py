"""The module-level computation functions against a plain Python reference."""
