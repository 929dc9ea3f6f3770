"""trembla_run.py (tools/runner): .chan files, the demo, the shake transfer, README's examples."""
