"""The stand-in Maya host itself."""
