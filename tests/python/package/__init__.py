"""The Maya module package and the release checks."""
