"""Pieces of scripts/trembla_run.py: .chan files, the demo scene, plots, page renders, progress."""
