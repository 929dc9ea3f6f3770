"""Pieces of trembla_run.py (beside them in this folder): .chan files, the demo scene, plots, page renders, progress."""
