"""Maya-style command flags: every flag has a long and a short name; anything else is a misuse.

A misuse raises TypeError, as Maya does for a flag it does not know, so that a wrong flag is
caught here and not first in Maya.
"""
from __future__ import absolute_import


class FlagSet(object):
    """The flags of one command, e.g. FlagSet("xform", "query|q worldSpace|ws translation|t")."""
    __slots__ = ("op", "names")

    def __init__(self, op, flag_names):
        self.op = op
        self.names = {}
        for entry in flag_names.split():
            forms = entry.split("|")
            for form in forms:
                self.names[form] = forms[0]

    def parse(self, kwargs):
        """The flags given, keyed by their long names."""
        names = self.names
        flags = {}
        for key, value in kwargs.items():
            long_name = names.get(key)
            if long_name is None:
                raise TypeError("%s: Invalid flag '%s' (not a flag of %s that the stand-in "
                                "host serves)" % (self.op, key, self.op))
            if long_name in flags:
                raise TypeError("%s: flag '%s' given twice" % (self.op, long_name))
            flags[long_name] = value
        return flags


def query_one(op, flags, choices):
    """The one query flag set among `choices`; Maya answers one query at a time."""
    asked = None
    for name in choices:
        if flags.get(name):
            if asked is not None:
                asked = None
                break
            asked = name
    if asked is None:
        raise RuntimeError("%s: query exactly one of %s" % (op, ", ".join(choices)))
    return asked
