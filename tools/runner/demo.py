"""The `demo` job: the demo shot through the real window, start to end, with everything it did
written to a folder: the camera before and after as .chan, a plot, and pictures of the pages."""
import os
from collections import namedtuple
from contextlib import contextmanager

from . import chan, demo_scene
from .host import fresh_scene
from .pages import render_pages
from .plots import plot_channels, plotting_unavailable
from .scene import CHANNELS, evaluated_track
from .window_driver import (GuiPump, bake, choose_mode, open_window, pick_camera_and_source, prepare,
                            save_and_load_preset)

# files: paths written, in order; notes: what was skipped or how something was made; before, after:
# the camera's ChanTracks; shake: the extracted shake the window used (frame -> six values).
DemoResult = namedtuple("DemoResult", "files notes before after shake")


def run_demo(host, out_dir, keep_open=False):
    """Runs the demo into `out_dir`; with `keep_open`, leaves the window on screen afterwards until
    the user closes it (when there is a display and a Qt binding to run its events)."""
    if not os.path.isdir(out_dir):
        os.makedirs(out_dir)
    tt, cmds = host.tt, host.cmds
    files, notes = [], []

    fresh_scene(host, demo_scene.FIRST, demo_scene.LAST)
    camera, source = demo_scene.build(cmds)
    frames = demo_scene.frames()
    fov = demo_scene.camera_track().fov
    before = evaluated_track(cmds, camera, frames, fov)

    window = open_window(host)
    pump = GuiPump(tt)
    pump()
    pick_camera_and_source(host, window, camera, source)
    choose_mode(window, demo_scene.PRESET["settings"]["mode"])
    pump()
    prepare(host, window)
    pump()
    # The demo's settings, tuned into the controls; each change re-applies the prepared shake live.
    window._apply_settings(demo_scene.PRESET)
    pump()
    # Kept as a preset through the presets page and loaded back from its list, so that the page's
    # picture shows it. The preset file goes with the demo's results (the tool keeps it beside the
    # module, which would leave it in the build for the tests to find).
    with _presets_in(tt, out_dir):
        save_and_load_preset(host, window, demo_scene.PRESET_NAME)
        pump()
        files.append(tt.get_preset_file_path())
        # The shake kept as a clip beside the preset and chosen in the clip list, so that the setup
        # page's picture shows the list; the live shake stays the object's.
        tt.save_clip(demo_scene.CLIP_NAME)
        window._refresh_clip_list()
        combo = window.clip_combo
        combo.setCurrentIndex(next(i for i in range(combo.count()) if combo.itemData(i) == demo_scene.CLIP_NAME))
        pump()
        files.append(tt.get_clip_file_path())
        page_files, how = render_pages(window, os.path.join(out_dir, "pages"), host.module_dir, pump)
    preset = demo_scene.PRESET["settings"]
    record = tt._prepared
    shake = tt.extract_source_shake(record["delta_data"], frames, preset["lag_trans"], preset["lag_rot"])

    files.extend(page_files)
    notes.append("pages: " + how)

    bake(host, window)
    pump()
    after = evaluated_track(cmds, camera, frames, fov)

    for name, track in (("camera_before.chan", before), ("camera_after.chan", after)):
        path = os.path.join(out_dir, name)
        chan.write_chan(path, track)
        files.append(path)

    reason = plotting_unavailable()
    if reason is None:
        path = os.path.join(out_dir, "shake_plot.png")
        title = ("%s follows %s with lag (preset %s, mode %s, frames %d-%d)"
                 % (camera, source, demo_scene.PRESET_NAME, preset["mode"], frames[0], frames[-1]))
        plot_channels(path, frames, before.samples, after.samples, shake, CHANNELS, title)
        files.append(path)
    else:
        notes.append("plot: skipped, " + reason)
    if keep_open:
        _keep_window_open(window, pump, notes)
    return DemoResult(files, notes, before, after, shake)


@contextmanager
def _presets_in(tt, folder):
    """The tool's preset file in `folder` while the block runs: the module finds it beside its own
    file."""
    had_file, real_file = hasattr(tt, "__file__"), getattr(tt, "__file__", None)
    tt.__file__ = os.path.join(os.path.abspath(folder), "trembla_tool.so")
    try:
        yield
    finally:
        if had_file:
            tt.__file__ = real_file
        else:
            del tt.__file__


def _keep_window_open(window, pump, notes):
    if pump.application is None or os.environ.get("QT_QPA_PLATFORM") == "offscreen":
        notes.append("window: not kept open (needs a display and the Qt binding)")
        return
    window.show()
    application = pump.application
    application.setQuitOnLastWindowClosed(True)
    run_events = getattr(application, "exec_", None) or getattr(application, "exec")
    run_events()
