#!/usr/bin/env python3
"""index.html with NAV_LNK on, in a headless Chromium, at a phone's width
(375 pixels) and at a desktop's (1280 pixels).

On the phone the list shows alone, full width; a message picked in it shows
alone, full width, with its line of links, and no wider than the screen; the
browser's Back from it, and the line's link to the list, bring the list back.
On the desktop the frameset stays as written: list and message side by side.

Each case copies index.html beside it with a script that takes the steps once
the frameset has loaded and notes what the frames show on the <html> element,
then reads the document with --dump-dom. Screenshots of the list and of a
message at both widths are checked for their width and kept in the folder
VORN_SCREENSHOTS names, if any. Exits 77 (skipped) where no chromium is
installed.

Usage: index_in_browser.py VORN_HTM_BINARY
"""
import os
import re
import shutil
import sys
import tempfile

import harness
from harness import check, chromium, finish, program, run, screenshot_width

PHONE, DESKTOP = 375, 1280


def browse(browser, page, width, extra):
    # Pages opened from disk may reach into each other's frames only so.
    return harness.browse(browser, page, ["--allow-file-access-from-files", "--hide-scrollbars",
                                          "--window-size=%d,800" % width] + extra, budget=8000)


def message(n, hour, subject, body, parent=None):
    head = ("Date: Mon, 05 Jan 2004 %02d:00:00 +0900\r\nFrom: s%d <s%d@example.jp>\r\nSubject: %s\r\n"
            "Message-ID: <p%d@example.jp>\r\n" % (hour, n, n, subject, n))
    if parent:
        head += "In-Reply-To: <p%d@example.jp>\r\n" % parent
    return head + "\r\n" + body + "\r\n.\r\n"


# What the frames show, as "name=value" pairs: the frameset's split, the
# width of each frame, the file the message frame holds, whether its page is
# wider than its frame, and whether it has a link back to the list.
STATE = r"""
function vornTestState(){
  var f=document.getElementsByTagName("FRAMESET")[0];
  var a=f.getAttribute("cols")!==null?"cols":"rows";
  var d=frames[1].document, e=d.documentElement, shows=frames[1].location.pathname.split("/").pop();
  var back=d.querySelector('.vorn-nav a[href="index.html"][target="_top"]');
  return "split="+f.getAttribute(a)+";screen="+window.innerWidth+
         ";list="+frames[0].innerWidth+";message="+frames[1].innerWidth+
         ";shows="+shows+";wider="+(e.scrollWidth>e.clientWidth?1:0)+";back="+(back?1:0);
}
function vornTestNote(k){var s=vornTestState();document.documentElement.setAttribute("data-"+k,s);
  if(parent!==window)parent.document.documentElement.setAttribute("data-"+k,s);}
function vornTestPick(){frames[0].document.querySelector('a[href="m0000001.htm"]').click();}
"""

# The steps of each case, run one after another, 1.5 s apart (virtual time),
# from the load of the frameset.
CASES = {
    "opened": ['vornTestNote("opened")'],
    "picked": ['vornTestPick()', 'vornTestNote("picked")'],
    "back": ['vornTestPick()', 'history.back()', 'vornTestNote("back")'],
    "list link": ['vornTestPick()', 'document.documentElement.setAttribute("data-left","1");'
                  'frames[1].document.querySelector(\'.vorn-nav a[href="index.html"]\').click()'],
}


def instrumented(out, name, steps):
    with open(os.path.join(out, "index.html"), "rb") as f:
        page = f.read()
    chain = "".join("setTimeout(function(){%s;" % s for s in steps) + "".join("},1500)" for _ in steps)
    script = ("<SCRIPT>" + STATE + 'window.addEventListener("load",function(){' + chain + ";});</SCRIPT>\r\n")
    page = page.replace(b"</HEAD>", script.encode("ascii") + b"</HEAD>", 1)
    path = os.path.join(out, name)
    with open(path, "wb") as f:
        f.write(page)
    return path


def on_phone(out, page):
    """A page that shows page in a frame of a phone's size: a headless window
    is never narrower than 500 pixels."""
    name = os.path.basename(page)
    path = os.path.join(out, "phone_" + name)
    with open(path, "w") as f:
        f.write('<html><body style="margin:0"><iframe src="%s" style="width:%dpx;height:800px;border:0">'
                "</iframe></body></html>" % (name, PHONE))
    return path


def noted(dom, key):
    m = re.search(r'data-%s="([^"]*)"' % key, dom)
    if not m:
        return None
    return dict(pair.split("=", 1) for pair in m.group(1).split(";"))


def phone_case(browser, out, case):
    page = on_phone(out, instrumented(out, "t_%s.html" % case, CASES[case]))
    return noted(browse(browser, page, PHONE, ["--dump-dom"]), case)


def check_phone(browser, out):
    got = phone_case(browser, out, "opened")
    check(got is not None, "phone, opened: noted")
    if got:
        check(got["screen"] == str(PHONE) and got["list"] == str(PHONE) and got["message"] == "0",
              "phone, opened: the list alone, full width: %s" % got)

    got = phone_case(browser, out, "picked")
    check(got is not None, "phone, picked: noted")
    if got:
        check(got["shows"] == "m0000001.htm", "phone, picked: the message frame holds the page: %s" % got)
        check(got["message"] == str(PHONE) and got["list"] == "0",
              "phone, picked: the message alone, full width: %s" % got)
        check(got["wider"] == "0", "phone, picked: the page is no wider than the screen: %s" % got)
        check(got["back"] == "1", "phone, picked: the page links back to the list: %s" % got)

    got = phone_case(browser, out, "back")
    check(got is not None, "phone, Back: noted")
    if got:
        check(got["list"] == str(PHONE) and got["message"] == "0",
              "phone, Back from the message: the list alone, full width: %s" % got)

    dom = browse(browser, on_phone(out, instrumented(out, "t_list.html", CASES["list link"])), PHONE, ["--dump-dom"])
    # The link opens index.html itself in the whole window (narrow too), in
    # place of the copy with the steps.
    check("data-left" not in dom and re.search(r'<frameset[^>]*cols="100%,0"', dom, re.I) is not None,
          "phone, the list link: index.html again, the list alone: " + (re.search(r"<frameset[^>]*>", dom, re.I)
                                                                        or re.search("$", dom)).group(0))


def check_desktop(browser, out, split):
    got = noted(browse(browser, instrumented(out, "t_opened.html", CASES["opened"]), DESKTOP, ["--dump-dom"]),
                "opened")
    check(got is not None, "desktop, opened: noted")
    if got:
        check(got["split"] == split and int(got["list"]) > 0 and int(got["message"]) > 0,
              "desktop, opened: the frameset as written (%s): %s" % (split, got))
    got = noted(browse(browser, instrumented(out, "t_picked.html", CASES["picked"]), DESKTOP, ["--dump-dom"]),
                "picked")
    check(got is not None, "desktop, picked: noted")
    if got:
        check(got["split"] == split and int(got["list"]) > 0 and got["shows"] == "m0000001.htm",
              "desktop, picked: the list stays beside the message: %s" % got)


def screenshots(browser, out, keep):
    for width in (PHONE, DESKTOP):
        for case in ("opened", "picked"):
            shot = os.path.join(out, "..", "%s-%d.png" % (case, width))
            page = instrumented(out, "t_shot.html", CASES[case])
            browse(browser, on_phone(out, page) if width == PHONE else page, width, ["--screenshot=" + shot])
            check(os.path.exists(shot) and screenshot_width(shot) == width,
                  "a screenshot of %s, %d pixels wide" % (case, width))
            if keep and os.path.exists(shot):
                shutil.copy(shot, keep)


def main():
    browser = chromium()
    if not browser:
        print("no chromium: skipped")
        return 77
    work = tempfile.mkdtemp(prefix="vorn_browser.")
    try:
        app, out = program(work, sys.argv[1], b"NAV_LNK=1\r\nKB_THRE=1\r\n"), os.path.join(work, "out")
        long_line = "x" * 400 + " " + "word " * 120
        box = os.path.join(work, "in.mbx")
        with open(box, "wb") as f:
            f.write((message(1, 1, "first topic", long_line) + message(2, 3, "Re: first topic", "a reply", 1) +
                     message(3, 2, "second topic", "hello")).encode("ascii"))
        run(app, box, out)
        with open(os.path.join(out, "index.html"), "rb") as f:
            split = re.search(rb"<FRAMESET (?:COLS|ROWS)=([^>]*)>", f.read()).group(1).decode("ascii")

        check_phone(browser, out)
        check_desktop(browser, out, split)
        screenshots(browser, out, os.environ.get("VORN_SCREENSHOTS"))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return finish()


if __name__ == "__main__":
    sys.exit(main())
