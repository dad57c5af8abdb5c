"""What the archive tests in Python share: an archive built by a copy of the
program with its own settings file, a headless Chromium that opens pages
from disk, and the list of failed checks that decides the exit status."""
import os
import shutil
import struct
import subprocess
import tempfile

failures = []


def check(cond, what):
    if not cond:
        failures.append(what)


def finish():
    """Prints the failed checks; the exit status."""
    for f in failures:
        print("FAILED:", f)
    return 1 if failures else 0


def program(work, binary, settings):
    """A copy of the program in work/app with settings (bytes) as its
    settings file; the folder."""
    app = os.path.join(work, "app")
    os.makedirs(app)
    shutil.copy(binary, os.path.join(app, "vorn_htm"))
    with open(os.path.join(app, "vorn_htm.ini"), "wb") as f:
        f.write(settings)
    return app


def run(app, mailbox, out, answer="y"):
    """Converts mailbox into out (-d answer); raises when the run fails."""
    subprocess.run([os.path.join(app, "vorn_htm"), "-i", mailbox, "-o", out, "-d", answer],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def chromium():
    for name in ("chromium", "chromium-browser"):
        path = shutil.which(name)
        if path:
            return path
    return None


def browse(browser, page, extra, budget=5000):
    """Opens page (a path) from disk with a fresh profile; its stdout."""
    profile = tempfile.mkdtemp(prefix="vorn_chromium.")
    try:
        args = [browser, "--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
                "--disable-component-update", "--disable-sync", "--no-first-run", "--user-data-dir=" + profile,
                "--virtual-time-budget=%d" % budget] + extra + ["file://" + page]
        return subprocess.run(args, capture_output=True, timeout=120).stdout.decode("utf-8", "replace")
    finally:
        shutil.rmtree(profile, ignore_errors=True)


def screenshot_width(path):
    """The width of a PNG file, or None when it is none."""
    with open(path, "rb") as f:
        head = f.read(24)
    return struct.unpack(">I", head[16:20])[0] if head[:8] == b"\x89PNG\r\n\x1a\n" else None
