"""Drives the tool window through its Python face, the way a user's clicks would, and turns the
tool's warnings into errors the runner can report."""


class ToolFailed(RuntimeError):
    """A window command did not do its job; the text carries the tool's own warnings."""


class Warnings(object):
    """The host warnings given since this object was made."""

    def __init__(self, host):
        self.host = host
        self.start = len(host.standin.warnings)

    def new(self):
        return list(self.host.standin.warnings[self.start:])

    def text(self, fallback):
        return "; ".join(self.new()) or fallback


class GuiPump(object):
    """Lets Qt paint between steps when the Qt binding is importable (a real display shows the
    window at work); without the binding there is nothing to pump and the steps run as they are."""

    def __init__(self, tt):
        widgets = getattr(tt, "QtWidgets", None)
        self.application = widgets.QApplication.instance() if widgets is not None else None

    def __call__(self):
        if self.application is not None:
            self.application.processEvents()


def open_window(host):
    """A new window over a forgotten preparation, as after loading the module afresh."""
    host.tt.reset_state()
    return host.tt.show()


def pick_camera_and_source(host, window, camera, source):
    """Selects each node in the scene and presses its "<" button; no source (None) for a clip."""
    warnings = Warnings(host)
    cmds = host.cmds
    cmds.select(camera, replace=True)
    window._set_camera()
    if source is not None:
        cmds.select(source, replace=True)
        window._set_source()
    cmds.select(clear=True)
    if window.camera_field.text() != camera or window.source_field.text() != (source or ""):
        raise ToolFailed("picking the camera and the source failed: " + warnings.text("no reason given"))


def choose_mode(window, mode):
    getattr(window, "mode_" + mode).setChecked(True)


def prepare(host, window, clip=None):
    """Presses "Prepare Shake" (which applies the shake once), playing `clip` (a clips.ClipChoice)
    when given, as picking it in the clip list would."""
    warnings = Warnings(host)
    if clip is None:
        window._prepare_shake()
    else:
        window._prepare_shake(clip=clip.name, clip_offset=clip.offset)
    if not host.tt._prepared["ready"]:
        raise ToolFailed("Prepare Shake failed: " + warnings.text("the preparation did not take"))


def save_and_load_preset(host, window, name):
    """On the presets page: types `name`, presses "Save Preset", then selects the preset in the
    list and presses "Load", as a user keeps settings and brings them back."""
    warnings = Warnings(host)
    window.preset_name_field.setText(name)
    window._save_preset()
    presets = window.preset_list
    rows = [row for row in range(presets.count()) if presets.item(row).text() == name]
    if not rows:
        raise ToolFailed("Save Preset failed: " + warnings.text("the preset is not listed"))
    presets.setCurrentRow(rows[0])
    window._load_selected_preset()
    if warnings.new():
        raise ToolFailed("Load failed: " + warnings.text(""))


def bake(host, window):
    """Presses "Bake to Layer"."""
    warnings = Warnings(host)
    window._bake_to_layer()
    if host.tt._prepared["ready"] or warnings.new():
        raise ToolFailed("Bake to Layer failed: " + warnings.text("the shake is still live"))
