"""PNG pictures of the window's four pages.

The window as the run left it is grabbed through the Qt binding when the module has one (the Qt 5
build with PySide2 on this machine). Without a binding (the Qt 6 build here, Python 2.7) the page
renderer built beside the module (target trembla_render_pages) draws a fresh window instead, with
its controls at their fresh values.
"""
import os
import subprocess
import sys

PAGE_NAMES = ("setup", "shake", "advanced", "presets")


def page_file(out_dir, index):
    return os.path.join(out_dir, "%d_%s.png" % (index, PAGE_NAMES[index]))


def renderer_path(module_dir):
    name = "trembla_render_pages" + (".exe" if os.name == "nt" else "")
    return os.path.join(module_dir, "tools", "render_pages", name)


def render_pages(window, out_dir, module_dir, pump):
    """(files written, how) for the four pages; files is empty when neither way is available and
    `how` then says why."""
    if not os.path.isdir(out_dir):
        os.makedirs(out_dir)
    dialog = window.pyside()
    if dialog is not None:
        return _grab_pages(window, dialog, out_dir, pump), "grabbed from the window through the Qt binding"
    renderer = renderer_path(module_dir)
    if os.path.isfile(renderer):
        return _run_renderer(renderer, out_dir), "drawn by %s (a fresh window: no Qt binding here)" % renderer
    return [], ("skipped: no Qt binding for this build and no page renderer at %s "
                "(cmake --build BUILD --target trembla_render_pages)" % renderer)


def _grab_pages(window, dialog, out_dir, pump):
    if os.environ.get("QT_QPA_PLATFORM") == "offscreen":
        # The offscreen screen is small and a window first gets at most two thirds of it; give it
        # the height its content asks for, as on a desktop.
        dialog.resize(dialog.width(), dialog.sizeHint().height())
    written = []
    for index in range(len(PAGE_NAMES)):
        window._switch_tab(index)
        pump()
        path = page_file(out_dir, index)
        if not dialog.grab().save(path):
            raise IOError("cannot write %s" % path)
        written.append(path)
    window._switch_tab(0)
    pump()
    return written


def _run_renderer(renderer, out_dir):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    output = subprocess.check_output([renderer, out_dir], env=env)
    if not isinstance(output, str):
        output = output.decode(sys.getfilesystemencoding() or "utf-8")
    return [line.strip() for line in output.splitlines() if line.strip()]
