"""maya.api: the subset of Maya's Python API 2.0 the tool uses to key a whole curve in one call
(maya.api.OpenMaya, maya.api.OpenMayaAnim)."""
