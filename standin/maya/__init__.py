"""Stand-in for Autodesk Maya's Python package, in memory, for running and testing the tool
without Maya. Import maya.cmds, maya.mel and maya.OpenMayaUI as in Maya; drive and inspect the
stand-in itself through maya.standin.
"""
