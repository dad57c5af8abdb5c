#!/usr/bin/env python3
"""Turns the measurements of bench/run.sh into the results table.

Usage: report.py RESULTS.tsv MACHINE.txt OUT.md
RESULTS.tsv: one line per case: id, label, group (corpus size), messages
processed, status, run times in seconds (blank-separated), peak RSS in KB per
run, "pages files bytes" of the folder written by the first run, and
"user/system" CPU seconds per run (blank-separated). An id ending in
"-modern" is a case on the modern-mail corpus (its floor is "floor-modern");
"cmp-before-TAG" and "cmp-after-TAG" are the runs of the before/after
comparison on corpus TAG ("legacy", "modern", "modern-dot").
MACHINE.txt: "key<TAB>value" lines. Prints the report and writes it to OUT.md.
"""
import statistics
import sys

FLOOR_MAX_DEF = 2.0  # full build, run defaults: at most this times the floor
FLOOR_MAX_NEW = 3.0  # full build, New-file settings
MH_MIN = 50.0  # messages/s at least this times MHonArc's
MEM_KB_PER_MSG = 1.0
MEM_BASE_MB = 50.0
APPEND_MAX_SHARE = 0.05  # append of 1,000 at most this share of the full build
CPU_MAX_GROWTH = 0.10  # full build's user + system CPU at most this much above the build before the change
# The corpora the cases run on: id suffix and the words the report uses.
CORPORA = (("", "legacy corpus"), ("-modern", "modern mail"))
# The corpora of the before/after comparison: tag, what it is, and whether
# the two readers do the same work on it (only then is it a target).
CMP_CORPORA = (("legacy", "legacy corpus (dot format)", None),
               ("modern", "modern mail (mbox)",
                "not comparable: the earlier reader takes the whole mbox for one message"),
               ("modern-dot", "modern mail (the same messages in dot format)",
                "indicative only: the earlier reader splits these messages but does not decode their MIME "
                "structure (base64 and HTML text, nested parts, RFC 2231 names, charsets other than "
                "ISO-2022-JP and Shift_JIS), so the two do different work"))


def corpus_of(case_id):
    return "-modern" if case_id.endswith("-modern") else ""


def fmt_int(n):
    return f"{n:,}"


def main(tsv_path, meta_path, out_path):
    meta = {}
    for line in open(meta_path, encoding="utf-8"):
        k, _, v = line.rstrip("\n").partition("\t")
        meta[k] = v
    # A case measured one run at a time, in turn with others, has a line per
    # run: its runs are joined, and it fails if any run failed.
    raw = {}
    for line in open(tsv_path, encoding="utf-8"):
        f = line.rstrip("\n").split("\t")
        if len(f) < 8:
            continue
        times = [float(x) for x in f[5].split()]
        rss = [int(x) for x in f[6].split()]
        stats = [int(x) for x in f[7].split()]
        cpu = [tuple(float(v) for v in x.split("/")) for x in (f[8].split() if len(f) > 8 else [])]
        key = (f[0], f[2])
        if key not in raw:
            raw[key] = dict(id=f[0], label=f[1], group=int(f[2]), msgs=int(f[3]), status=f[4], times=[], rss=[],
                            stats=stats, cpu=[])
        r = raw[key]
        if r["status"] == "ok":
            r["status"] = f[4]
        if not any(r["stats"]):
            r["stats"] = stats
        r["times"] += times
        r["rss"] += rss
        r["cpu"] += cpu
    rows = []
    for r in raw.values():
        ok = r["status"] == "ok"
        cpu = r["cpu"]
        pages, files, size = r["stats"]
        rows.append(dict(id=r["id"], label=r["label"], group=r["group"], msgs=r["msgs"], status=r["status"],
                         times=r["times"], rss=r["rss"], pages=pages, files=files, bytes=size, cpu=cpu,
                         total=statistics.median(c[0] + c[1] for c in cpu) if ok and cpu else None,
                         user=statistics.median(c[0] for c in cpu) if cpu else None,
                         sys=statistics.median(c[1] for c in cpu) if cpu else None,
                         med=statistics.median(r["times"]) if ok and r["times"] else None,
                         peak=max(r["rss"]) if ok and r["rss"] else None))

    def find(case, group):
        return next((r for r in rows if r["id"] == case and r["group"] == group and r["med"]), None)

    cmp_rows = [r for r in rows if r["id"].startswith("cmp-")]
    rows = [r for r in rows if not r["id"].startswith("cmp-")]

    out = []
    w = out.append
    w("# vorn_htm benchmark results")
    w("")
    if meta.get("quick") == "1":
        w("**Quick smoke run (--quick): small corpora, one run each; not the reference numbers.**")
        w("")
    w(f"Written by `bash bench/run.sh` on {meta.get('date')}; median of {meta.get('reps')} runs per case "
      f"(each corpus's full builds and floors run in turn, one run of each per round, and so do the run-defaults "
      f"append base, its append and its floor; a New-file append base is "
      f"built once, and MHonArc or an append whose first run exceeded 10 minutes is run once), "
      f"warm page cache, every run after a `sync`.")
    w("")
    w("## Machine")
    w("")
    dirty = meta.get("dirty", "").strip()
    w(f"- commit: {meta.get('commit')}" + (f" plus uncommitted changes in: {dirty}" if dirty else ""))
    w(f"- CPU: {meta.get('cpu')}, nproc {meta.get('nproc')}; memory {meta.get('memory')}")
    w(f"- kernel: {meta.get('kernel')}; compiler: {meta.get('compiler')} (Release build)")
    w(f"- MHonArc: {meta.get('mhonarc')}")
    w(f"- corpora read from {meta.get('scratch')}; archives written to {meta.get('outdir')}")
    w(f"- load average (1/5/15 min) at start -> end: {meta.get('load')}; whole run {int(meta.get('wall', 0)) // 60} min; "
      "the machine is shared, other jobs may have run at the same time")
    w("")
    w("## Results")
    w("")
    w("| case | messages | runs | median s | messages/s | µs/message | ratio to floor | peak RSS MB | peak KB/message | CPU user / sys s |")
    w("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|")
    for r in rows:
        is_append = r["id"].startswith("append")
        msgs = fmt_int(r["msgs"]) + (f" into {fmt_int(r['group'])}" if is_append else "")
        if not r["med"]:
            w(f"| {r['label']} | {msgs} | {len(r['times'])} | {r['status']} | | | | | | |")
            continue
        med = r["med"]
        floor = find("floor" + corpus_of(r["id"]), r["group"])
        ratio = "" if is_append or not floor else f"{med / floor['med']:.2f}"
        archived = r["pages"] or r["msgs"]
        w(f"| {r['label']} | {msgs} | {len(r['times'])} | {med:.2f} | {r['msgs'] / med:,.0f} | "
          f"{med / r['msgs'] * 1e6:,.0f} | {ratio} | {r['peak'] / 1024:.1f} | {r['peak'] / archived:.2f} | "
          f"{r['user']:.2f} / {r['sys']:.2f} |")
    w("")
    w("Messages/s and µs/message count the messages read in that run; peak KB/message divides the peak RSS "
      "by the messages in the archive afterwards (for the appends: base plus added). Ratio to floor: "
      "median time over the floor's median time for the same corpus (the floor writes the defaults archive's files; "
      "the modern-mail cases have a floor of their own). "
      "CPU: median user and system seconds of the process (a gap to the wall time is waiting or other jobs).")
    w("")
    w("### Archives written")
    w("")
    w("| case | corpus | message pages | files | MB |")
    w("|---|---:|---:|---:|---:|")
    for r in rows:
        if r["files"]:
            w(f"| {r['label']} | {fmt_int(r['group'])} | {fmt_int(r['pages'])} | {fmt_int(r['files'])} | "
              f"{r['bytes'] / 1048576:.1f} |")
    w("")

    w("## Targets")
    w("")
    def mark(ok):
        return "**met**" if ok else "**not met**"
    targets = []
    groups = sorted({(corpus_of(r["id"]), r["group"]) for r in rows}, key=lambda cg: (cg[0] != "", cg[1]))
    for sfx, g in groups:
        floor = find("floor" + sfx, g)
        on = "" if not sfx else " of " + dict(CORPORA)[sfx]
        for case, limit, what in (("full-def", FLOOR_MAX_DEF, "run defaults"), ("full-new", FLOOR_MAX_NEW, "New-file settings")):
            r = find(case + sfx, g)
            # The floor of the same output: the New-file archive, with a
            # thread list on every page, is several times the defaults one.
            own = find("floor-new", g) if case == "full-new" else None
            if r and own:
                q = r["med"] / own["med"]
                beside = f" (against the floor of the smaller defaults archive: {r['med'] / floor['med']:.2f}×)" if floor else ""
                targets.append(f"- full build of {fmt_int(g)}{on}, {what}, within {limit:g}× of the floor of the same "
                               f"(New-file) archive: {q:.2f}× — {mark(q <= limit)}{beside}")
            elif r and floor:
                q = r["med"] / floor["med"]
                targets.append(f"- full build of {fmt_int(g)}{on}, {what}, within {limit:g}× of the floor: "
                               f"{q:.2f}× — {mark(q <= limit)}")
        ours, mh = find("full-def" + sfx, g), find("mhonarc" + sfx, g)
        if ours and mh:
            q = mh["med"] / ours["med"]
            targets.append(f"- full build of {fmt_int(g)}{on}, run defaults, ≥ {MH_MIN:g}× MHonArc's messages/s: "
                           f"{ours['msgs'] / ours['med']:,.0f} vs {mh['msgs'] / mh['med']:,.0f} messages/s = {q:.1f}× — {mark(q >= MH_MIN)}")
        elif ours:
            st = next((r["status"] for r in rows if r["id"] == "mhonarc" + sfx and r["group"] == g), None)
            if st:
                targets.append(f"- full build of {fmt_int(g)}{on} against MHonArc: MHonArc {st}")
    for r in rows:
        if r["id"].split("-")[0] in ("full", "append") and r["peak"]:
            archived = r["pages"] or r["msgs"]
            limit = archived * MEM_KB_PER_MSG + MEM_BASE_MB * 1024
            targets.append(f"- peak memory of {r['label']} ({fmt_int(r['group'])}) under 1 KB × {fmt_int(archived)} "
                           f"messages + 50 MB = {limit / 1024:.0f} MB: {r['peak'] / 1024:.1f} MB — {mark(r['peak'] <= limit)}")
    for sfx, what in (("def", "run defaults"), ("new", "New-file settings")):
        for r in rows:
            if r["id"] == f"append-{sfx}" and r["med"]:
                full = find(f"full-{sfx}", r["group"])
                if full:
                    share = r["med"] / full["med"]
                    targets.append(f"- append of {fmt_int(r['msgs'])} into {fmt_int(r['group'])}, {what}, a small fraction "
                                   f"(≤ {APPEND_MAX_SHARE:.0%}) of the full build: {r['med']:.2f} s of {full['med']:.2f} s = "
                                   f"{share:.1%} — {mark(share <= APPEND_MAX_SHARE)}")
    cmp_targets, cmp_lines = before_after(meta, cmp_rows, mark)
    targets += cmp_targets
    missed = [t for t in targets if "**not met**" in t]
    if missed:
        w(f"**{len(missed)} of {sum('**met**' in t for t in targets) + len(missed)} targets not met:**")
        w("")
        for t in missed:
            w(t)
        w("")
        w("All targets:")
        w("")
    for t in targets:
        w(t)
    failed = [r for r in rows + cmp_rows if r["status"] != "ok"]
    if failed:
        w("")
        w("Cases without a result: " + "; ".join(f"{r['label']} ({fmt_int(r['group'])}): {r['status']}" for r in failed))
    w("")
    out += cmp_lines

    text = "\n".join(out)
    print(text)
    text += kept_sections(out_path)
    with open(out_path, "w", encoding="utf-8") as fh:
        fh.write(text)


# Sections of OUT.md that other benchmarks write (bench/search_page.sh) and
# that this report keeps as they stand.
KEPT_SECTIONS = ("## Search page",)


def kept_sections(out_path):
    """The kept sections of the report already at out_path, with their lines up to the next section."""
    try:
        lines = open(out_path, encoding="utf-8").read().split("\n")
    except OSError:
        return ""
    kept, keep = [], False
    for line in lines:
        if line.startswith("## "):
            keep = line.startswith(KEPT_SECTIONS)
        if keep:
            kept.append(line)
    return "\n" + "\n".join(kept) if kept else ""


def before_after(meta, rows, mark):
    """The section of the before/after comparison, and its targets."""
    if not rows:
        return [], []
    before, after = meta.get("before", "?"), meta.get("commit", "?")
    out, targets = [], []
    w = out.append
    w(f"## Before and after: {before} against {after}")
    w("")
    w(f"The program as it was at commit {before} ({meta.get('before_built', 'built from a worktree')}) and the "
      f"binary measured above, both with the run defaults, on the same corpus: {meta.get('rounds')} rounds, one run "
      "of each per round, the order swapped every round. Medians of the wall time and of the process's user + system "
      "CPU time per run.")
    w("")
    w("| corpus | messages | program | runs | median wall s | median user + sys s | CPU user / sys s | peak RSS MB | message pages | CPU after / before | wall after / before |")
    w("|---|---:|---|---:|---:|---:|---:|---:|---:|---:|---:|")
    for tag, what, caveat in CMP_CORPORA:
        for g in sorted({r["group"] for r in rows if r["id"].endswith("-" + tag) and
                         r["id"] in ("cmp-before-" + tag, "cmp-after-" + tag)}):
            pair = {who: next((r for r in rows if r["id"] == f"cmp-{who}-{tag}" and r["group"] == g), None)
                    for who in ("before", "after")}
            b, a = pair["before"], pair["after"]
            for who, r in (("before", b), ("after", a)):
                if r is None:
                    continue
                name = f"{who}: {before if who == 'before' else after}"
                if not r["med"]:
                    w(f"| {what} | {fmt_int(g)} | {name} | {len(r['times'])} | {r['status']} | | | | | | |")
                    continue
                ratios = " | "
                if who == "after" and b and b["med"]:
                    ratios = f"{r['total'] / b['total']:.3f} | {r['med'] / b['med']:.3f}"
                w(f"| {what} | {fmt_int(g)} | {name} | {len(r['times'])} | {r['med']:.2f} | {r['total']:.2f} | "
                  f"{r['user']:.2f} / {r['sys']:.2f} | {r['peak'] / 1024:.1f} | {fmt_int(r['pages'])} | {ratios} |")
            if not (a and b and a["med"] and b["med"]):
                continue
            growth = a["total"] / b["total"] - 1
            figures = (f"{a['total']:.2f} s against {b['total']:.2f} s user + sys ({growth:+.1%}), "
                       f"wall {a['med']:.2f} s against {b['med']:.2f} s")
            if caveat:
                targets.append(f"- CPU of the full build of {fmt_int(g)}, {what}, after against before: {figures}; "
                               f"{caveat} (no target)")
            else:
                targets.append(f"- CPU (user + sys) of the full build of {fmt_int(g)}, {what}, within "
                               f"{CPU_MAX_GROWTH:.0%} of the build before the change ({before}): {figures} — "
                               f"{mark(growth <= CPU_MAX_GROWTH)}")
    w("")
    for tag, what, caveat in CMP_CORPORA:
        if caveat and any(r["id"].endswith("-" + tag) for r in rows):
            w(f"- {what}: {caveat}.")
    if any("**not met**" in t for t in targets):
        w("")
        w("The CPU target is missed: `bench/PROFILE.md` (written by hand, not by this script) has a callgrind "
          "profile of the two readers and where the time goes.")
    w("")
    return targets, out


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    main(*sys.argv[1:])
