"""The main path through the window: select, prepare, follow the controls, reset, bake, undo."""
