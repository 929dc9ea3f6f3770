"""Shake clips for the runner: the clip `shake --clip` plays, found as the tool's clip list offers it
or read from a clip file, and the `clip` job's saving of a plate's shake as a clip.

The module finds a clip by name only, in the user's clip file (beside the module), the shared clip
files of TREMBLA_PRESET_PATH and the built-in profiles. A clip file named on the command line is
imported into a clip file of the run's own: for the run the module's file points into a temporary
folder (the module keeps its clip file beside its file), so that the user's own file is neither
read for it nor written.
"""
import os
import shutil
import tempfile
from collections import namedtuple

from .progress import HeldOutput
from .window_driver import Warnings

# name: the clip the window plays; offset: the clip frame the first frame shows.
ClipChoice = namedtuple("ClipChoice", "name offset")


class ClipError(ValueError):
    """A clip that cannot be played or saved as asked; the text names the flag or the file."""


def looks_like_path(text):
    return os.sep in text or (os.altsep is not None and os.altsep in text) or text.endswith(".json")


class ClipSource(object):
    """With-block: the clip to play for `--clip NAME|FILE` (and `--clip-name`), as a ClipChoice;
    while it is open a clip file named is the module's own clip file. `warn` hears of unusable clip
    files met on the way."""

    def __init__(self, host, given, clip_name=None, offset=0, warn=None):
        self.host, self.given, self.clip_name, self.offset, self.warn = host, given, clip_name, offset, warn
        self.folder = None
        self.saved_file = None

    def __enter__(self):
        try:
            if os.path.isfile(self.given):
                return ClipChoice(self.from_file(), self.offset)
            if self.clip_name is not None:
                raise ClipError("argument --clip-name: %s is no clip file" % self.given)
            return ClipChoice(self.by_name(), self.offset)
        except Exception:
            self.__exit__()
            raise

    def __exit__(self, *exc):
        if self.saved_file is not None:
            self.host.tt.__file__ = self.saved_file
            self.saved_file = None
        if self.folder is not None:
            shutil.rmtree(self.folder, True)
            self.folder = None

    def offered(self):
        """The clip list's entries, after passing on its warnings."""
        warnings = Warnings(self.host)
        with HeldOutput():  # the tool's own words for them go to `warn`
            listed = self.host.tt.list_clips()
        for text in warnings.new():
            if self.warn is not None:
                self.warn(text)
        return listed

    def by_name(self):
        names = [entry["name"] for entry in self.offered()]
        if self.given in names:
            return self.given
        if looks_like_path(self.given):
            raise ClipError("argument --clip: %s: no such clip file" % self.given)
        raise ClipError("argument --clip: no clip named '%s' in the clip files or the built-in profiles "
                        "(clips: %s)" % (self.given, ", ".join(names)))

    def from_file(self):
        tt = self.host.tt
        self.folder = tempfile.mkdtemp(prefix="trembla-run-clips-")
        self.saved_file = tt.__file__
        tt.__file__ = os.path.join(self.folder, os.path.basename(self.saved_file or "trembla_tool"))
        own = os.path.join(self.folder, "trembla_clips.json")
        if not os.path.samefile(os.path.dirname(tt.get_clip_file_path()), self.folder):
            raise ClipError("%s: cannot read it: no private folder for the run's clip file" % self.given)
        warnings = Warnings(self.host)
        with HeldOutput():
            imported = tt.import_clips(os.path.abspath(self.given))
        if not imported:
            raise ClipError("%s: %s" % (self.given, warnings.new()[0] if warnings.new() else "cannot be imported"))
        names = [entry["name"] for entry in self.offered() if entry["file"] and os.path.samefile(entry["file"], own)]
        if self.clip_name is not None:
            if self.clip_name not in names:
                raise ClipError("%s: no clip named '%s' (clips: %s)" % (self.given, self.clip_name, ", ".join(names)))
            return self.clip_name
        if len(names) != 1:
            raise ClipError("%s: holds %d clips; name one with --clip-name (%s)"
                            % (self.given, len(names), ", ".join(names) or "none"))
        return names[0]
