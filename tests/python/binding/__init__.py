"""Loading the module, its argument readers and result builders, and bad input to its functions."""
