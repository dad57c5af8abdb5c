#!/usr/bin/env python3
"""Message pages with NAV_LNK on, in a headless Chromium: the key j opens the
next page by date, a key typed into a text field opens nothing, and at a
phone's width (375 pixels) long lines wrap instead of widening the page.

Each check copies a page of the built archive beside it with a small script
at its end that presses the key (or measures the page) once it has loaded,
and reads the resulting document with --dump-dom. Exits 77 (skipped) where
no chromium is installed.

Usage: pages_in_browser.py VORN_HTM_BINARY
"""
import os
import re
import shutil
import sys
import tempfile

from harness import browse, check, chromium, finish, program, run, screenshot_width


def with_script(folder, name, source, script):
    with open(os.path.join(folder, source), "rb") as f:
        page = f.read()
    page = page.replace(b"</BODY>", b"<SCRIPT>" + script.encode("ascii") + b"</SCRIPT>\r\n</BODY>")
    with open(os.path.join(folder, name), "wb") as f:
        f.write(page)
    return os.path.join(folder, name)


def message(n, hour, body, parent=None):
    reply = "In-Reply-To: <p%d@example.jp>\r\n" % parent if parent else ""
    return ("Date: Mon, 05 Jan 2004 %02d:00:00 +0900\r\nFrom: s%d <s%d@example.jp>\r\nSubject: page %d\r\n"
            "Message-ID: <p%d@example.jp>\r\n%s\r\n%s\r\n.\r\n" % (hour, n, n, n, n, reply, body))


def press(key):
    return ('window.addEventListener("load",function(){document.dispatchEvent('
            'new KeyboardEvent("keydown",{key:"%s",bubbles:true}));});' % key)


PRESS_J = press("j")
PRESS_J_IN_FIELD = ('window.addEventListener("load",function(){var i=document.createElement("INPUT");'
                    'document.body.appendChild(i);i.focus();i.dispatchEvent('
                    'new KeyboardEvent("keydown",{key:"j",bubbles:true}));'
                    'document.body.setAttribute("data-pressed","1");});')
FRAME_375 = ('<html><body style="margin:0"><iframe id="f" src="m0000001.htm" style="width:375px;height:800px;'
             'border:0"></iframe><script>document.getElementById("f").addEventListener("load",function(){'
             'var d=this.contentDocument.documentElement;'
             'document.body.setAttribute("data-width",d.scrollWidth+"/"+d.clientWidth);});</script></body></html>')


def main():
    browser = chromium()
    if not browser:
        print("no chromium: skipped")
        return 77
    work = tempfile.mkdtemp(prefix="vorn_browser.")
    try:
        app, out = program(work, sys.argv[1], b"NAV_LNK=1\r\n"), os.path.join(work, "out")
        long_line = "x" * 400 + " " + "word " * 120
        # Pages m1, m2, m3 in file order; by date m1, m3, m2; m2 replies to m1.
        box = os.path.join(work, "in.mbx")
        with open(box, "wb") as f:
            f.write((message(1, 1, long_line) + message(2, 3, "third by date", parent=1) +
                     message(3, 2, "second by date")).encode("ascii"))
        run(app, box, out)

        dom = browse(browser, with_script(out, "t_key.htm", "m0000001.htm", PRESS_J), ["--dump-dom"])
        check("second by date" in dom and "page 3" in dom, "j opens the next page by date (m0000003.htm)")

        # Each key from a page, and the page it opens (its text on the page).
        for key, page, opens in (("k", "m0000002.htm", "second by date"), ("n", "m0000001.htm", "third by date"),
                                 ("p", "m0000002.htm", "x" * 400), ("j", "m0000003.htm", "third by date"),
                                 ("k", "m0000001.htm", "x" * 400)):
            dom = browse(browser, with_script(out, "t_" + key + page, page, press(key)), ["--dump-dom"])
            check(opens in dom, "%s on %s shows the page that holds %r" % (key, page, opens[:20]))

        dom = browse(browser, with_script(out, "t_field.htm", "m0000001.htm", PRESS_J_IN_FIELD), ["--dump-dom"])
        check('data-pressed="1"' in dom and "page 1" in dom, "j typed into a text field stays on the page")

        # The page in a frame 375 pixels wide (headless windows are wider).
        with open(os.path.join(out, "t_width.html"), "w") as f:
            f.write(FRAME_375)
        dom = browse(browser, os.path.join(out, "t_width.html"), ["--dump-dom", "--allow-file-access-from-files"])
        width = re.search(r'data-width="(\d+)/(\d+)"', dom)
        check(width is not None and int(width.group(1)) <= int(width.group(2)) <= 375,
              "at 375 pixels the page is no wider than the screen: " + (width.group(0) if width else "not measured"))

        shot = os.path.join(work, "phone.png")
        browse(browser, os.path.join(out, "m0000001.htm"), ["--screenshot=" + shot, "--window-size=375,800"])
        check(os.path.exists(shot), "a screenshot at a phone's width")
        if os.path.exists(shot):
            check(screenshot_width(shot) == 375, "the screenshot is 375 pixels wide")
            keep = os.environ.get("VORN_SCREENSHOT")
            if keep:
                shutil.copy(shot, keep)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return finish()


if __name__ == "__main__":
    sys.exit(main())
