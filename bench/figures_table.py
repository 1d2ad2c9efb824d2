#!/usr/bin/env python3
"""The figures of bench/README.md's table from the figures.txt of several runs of run_figures.sh.

    bench/figures_table.py run1/figures.txt run2/figures.txt run3/figures.txt

Prints, row by row of the table, each figure as the README gives it: ratios as the median of the
runs with their lowest and highest, times, rates and page faults as the median of the runs. A figure
that a run did not print is left out of that run; one that no run printed is shown as missing.
"""
import re
import statistics
import sys


def sections(text):
    """The output of each row of run_figures.sh, by the program or script that printed it."""
    found = {}
    for part in re.split(r"^== ", text, flags=re.M)[1:]:
        command = part.split("\n", 1)[0]
        for name in ("MachineBench", "BlockTextBench", "ConcreteTraceDataBench", "SimValueCacheFilesBench",
                     "BlockReadBench", "LinearGrowthBench", "TracesByIDBench", "TraceNamingBench", "CompositePopulationBench",
                     "statistics_vs_numpy", "import_vs_pandas"):
            if name in command:
                found[name] = part
    return found


NUMBER = r"([-\d.]+)"


def grab(values, key, pattern, text, *groups, flags=re.M):
    """Sets values[key...] from the groups of the first match of `pattern` in `text`."""
    m = re.search(pattern, text, flags)
    if not m:
        return
    if not groups:
        groups = (1,)
    keys = key if isinstance(key, tuple) else (key,)
    for k, g in zip(keys, groups):
        values[k] = float(m.group(g))


def figures_of(text):
    """Every figure that one run printed, by name."""
    v = {}
    s = sections(text)
    m = s.get("MachineBench", "")
    for key, label in (("fault", r"page fault: {} us per 4 KiB page touched for the first time, memory just freed"),
                       ("fault_rested", r"page fault: {} us per 4 KiB page touched for the first time, \d+ s after"),
                       ("huge", r"huge pages: {} us per 4 KiB of 2 MiB pages touched for the first time, memory just"),
                       ("huge_rested", r"huge pages: {} us per 4 KiB of 2 MiB pages touched for the first time, \d+ s"),
                       ("syscall", r"system call: {} us"),
                       ("page_cache", r"page cache: {} us per 4 KiB page written to a new file, with pages just freed"),
                       ("page_cache_rested", r"page cache: {} us per 4 KiB page written to a new file, \d+ s after"),
                       ("flush", r"flush to the disk: {} MB/s")):
        grab(v, key, label.format(NUMBER), m)

    b = s.get("BlockTextBench", "")
    grab(v, ("bt_file", "bt_raw"), r"block text write {0} ms, fwrite of the same bytes {0} ms".format(NUMBER), b, 1, 2)
    for case, key in (("BlockTextWriteMemory", "bt_mem"), ("BlockTextWriteFile", "bt_file"), ("RawFwriteText", "bt_raw")):
        grab(v, (key + "_warm", key + "_first", key + "_first_faults", key + "_first_cpu"),
             r"^\s+{0}\s+warm\s+{1} ms\s+first {1} ms \({1} faults, CPU {1} ms\)".format(case, NUMBER), b, 1, 2, 3, 4)

    t = s.get("ConcreteTraceDataBench", "")
    for raw, key in (("BM_RawFileWriteRead", "td_reused"), ("BM_RawFileWriteReadFresh", "td_fresh")):
        grab(v, ("td", "td_faults", key, key + "_faults"),
             r"read back: {0} ms \({0} faults\), {1} {0} ms \({0} faults\)".format(NUMBER, raw), t, 1, 2, 3, 4)

    c = s.get("SimValueCacheFilesBench", "")
    for label, key in (("fwrite, new files and a header", "c_raw_write"), ("cache files written", "c_write"),
                       ("fwrite again, the files before removed", "c_raw_rewrite"),
                       ("cache files written again", "c_rewrite"), ("fread into fresh memory", "c_raw_read"),
                       ("cache files read into fresh memory", "c_read"), ("fread, repeated", "c_raw_again"),
                       ("cache files read, repeated", "c_again"),
                       ("its minor files read and decoded alone", "c_minor_read"),
                       ("their decoding alone, from memory", "c_minor_decode")):
        grab(v, (key, key + "_cpu", key + "_faults"),
             r"^\s+{0}\s+{1}\s+{1}\s+{1}$".format(re.escape(label), NUMBER), c, 1, 2, 3)

    r = s.get("BlockReadBench", "")
    grab(v, ("br_numbers", "br_fromchars"), r"^NumbersBlockRead\s+{0}\s+NumbersFromChars\s+{0}".format(NUMBER), r, 1, 2)
    grab(v, ("br_project", "br_fread"), r"^ProjectRead\s+{0}\s+ProjectFread\s+{0}".format(NUMBER), r, 1, 2)
    for case, key in (("NumbersBlockRead", "br_numbers"), ("NumbersFromChars", "br_fromchars"),
                      ("ProjectRead", "br_project"), ("ProjectFread", "br_fread")):
        grab(v, (key + "_first", key + "_first_faults", key + "_first_cpu"),
             r"^\s+{0}\s+first {1} ms \({1} faults, CPU {1} ms\)".format(case, NUMBER), r, 1, 2, 3)

    g = s.get("LinearGrowthBench", "")
    grab(v, ("gr_first", "gr_second"), r"first {0} ms, second {0} ms, first/second".format(NUMBER), g, 1, 2)
    grab(v, ("gr_first_faults", "gr_second_faults"),
         r"^\s+first {0} ms \({0} faults.*\n\s+second {0} ms \({0} faults".format(NUMBER), g, 2, 4)
    grab(v, ("gr_save_mb", "gr_save", "gr_raw_save"),
         r"save of \d+ reports \({0} MB\) in a fresh process \(median of 5\): {0} ms, the same bytes saved raw {0} ms"
         .format(NUMBER), g, 1, 2, 3)

    x = s.get("TracesByIDBench", "")
    for case, key in (("BM_WriteTracesWithData", "tr_data"), ("BM_WriteReportBlock", "tr_block"),
                      ("BM_DeleteTracesAndUndo", "tr_delete")):
        grab(v, (key + "_small", key + "_large"), r"^{0}\s+{1}\s+{1}\s+{1}$".format(case, NUMBER), x, 1, 2)

    n = s.get("TraceNamingBench", "")
    for case, key in (("BM_ReadTracesWithData", "nm_read"), ("BM_NewReportOfTraces", "nm_new"),
                      ("BM_AddTraceDefinitions", "nm_add"), ("BM_AddNewTraceDefinitions", "nm_addnew")):
        grab(v, (key + "_small", key + "_large"), r"^{0}\s+{1}\s+{1}\s+{1}".format(case, NUMBER), n, 1, 2)
        grab(v, (key + "_small_faults", key + "_large_faults"),
             r"^{0}\s.*page faults per item {1}, then {1}".format(case, NUMBER), n, 1, 2)

    p = s.get("CompositePopulationBench", "")
    grab(v, "cp_composite", r"^BM_CompositeTrace_median\s+{} ms".format(NUMBER), p)
    grab(v, "cp_plain", r"^BM_ThreePlainTraces_median\s+{} ms".format(NUMBER), p)

    st = s.get("statistics_vs_numpy", "")
    stats, _, hist = st.partition("histogram of")
    grab(v, "st_engine", r"^\s+engine\s+{} ms".format(NUMBER), stats)
    grab(v, "st_numpy", r"^\s+numpy\s+{} ms".format(NUMBER), stats)
    grab(v, "hi_engine", r"^\s+engine\s+{} ms".format(NUMBER), hist)
    grab(v, "hi_numpy", r"^\s+numpy\s+{} ms".format(NUMBER), hist)
    if "counts the same as numpy" in hist:
        v["hi_same"] = 1.0

    i = s.get("import_vs_pandas", "")
    grab(v, ("im_engine", "im_engine_faults"), r"^engine import:\s+{0} MB/s\s+page faults per MB {0}".format(NUMBER), i, 1, 2)
    grab(v, ("im_rt", "im_rt_faults"),
         r"^pandas.read_csv round_trip\s+{0} MB/s.*page faults per MB {0}".format(NUMBER), i, 1, 2)
    grab(v, "im_default", r"^pandas.read_csv\s+{} MB/s".format(NUMBER), i)
    return v


def median(values):
    return statistics.median(values) if values else None


def ratio_text(runs, top, bottom, scale=1.0, digits=2):
    """"median (lowest – highest)" of top/bottom over the runs that printed both."""
    ratios = [r[top] / r[bottom] * scale for r in runs if top in r and bottom in r and r[bottom]]
    if not ratios:
        return "missing"
    f = "{:.%df}" % digits
    text = f.format(median(ratios))
    return text if len(ratios) == 1 else "{} ({} – {})".format(text, f.format(min(ratios)), f.format(max(ratios)))


def value_text(runs, key, unit="", digits=1):
    values = [r[key] for r in runs if key in r]
    if not values:
        return "missing"
    number = "{:,.{}f}".format(median(values), digits).replace(",", " ")
    return number + unit


def main(paths):
    runs = [figures_of(open(path, encoding="utf-8", errors="replace").read()) for path in paths]
    rows = []

    def row(label, *cells):
        rows.append("{}: {}".format(label, "; ".join(cells)))

    def ms(key, digits=1):
        return value_text(runs, key, " ms", digits)

    def faults(key):
        return value_text(runs, key, " faults", 0)

    row("machine", "page fault " + value_text(runs, "fault", " µs", 2) + ", rested " + value_text(runs, "fault_rested", " µs", 2),
        "2 MiB pages per 4 KiB " + value_text(runs, "huge", " µs", 2) + ", rested " + value_text(runs, "huge_rested", " µs", 2),
        "system call " + value_text(runs, "syscall", " µs", 2),
        "page cache " + value_text(runs, "page_cache", " µs", 2) + ", rested " + value_text(runs, "page_cache_rested", " µs", 2),
        "flush " + value_text(runs, "flush", " MB/s", 0))
    row("blocktext warm write", ms("bt_file"), "fwrite " + ms("bt_raw"), ratio_text(runs, "bt_file", "bt_raw"))
    row("blocktext first write", ms("bt_file_first"), "fwrite " + ms("bt_raw_first"),
        ratio_text(runs, "bt_file_first", "bt_raw_first"),
        "CPU " + ms("bt_file_first_cpu") + " against " + ms("bt_raw_first_cpu"))
    row("blocktext first to memory", ms("bt_mem_first"), "to a file " + ms("bt_file_first"),
        ratio_text(runs, "bt_mem_first", "bt_file_first"), faults("bt_mem_first_faults"))
    row("blocktext warm to memory", ms("bt_mem_warm"), "to a file " + ms("bt_file_warm"),
        ratio_text(runs, "bt_mem_warm", "bt_file_warm"))
    row("tracedata", ms("td"), faults("td_faults"), "fresh " + ms("td_fresh"), faults("td_fresh_faults"),
        "reused " + ms("td_reused"), ratio_text(runs, "td", "td_fresh"), ratio_text(runs, "td", "td_reused") + " against the reused buffer")
    row("cache write", ms("c_write", 0), "raw " + ms("c_raw_write", 0), ratio_text(runs, "c_write", "c_raw_write"))
    row("cache write again", ms("c_rewrite", 0), "raw " + ms("c_raw_rewrite", 0), ratio_text(runs, "c_rewrite", "c_raw_rewrite"))
    row("cache read", ms("c_read", 0), faults("c_read_faults"), "fread " + ms("c_raw_read", 0), faults("c_raw_read_faults"),
        ratio_text(runs, "c_read", "c_raw_read"))
    row("cache read repeated", ms("c_again", 0), "fread " + ms("c_raw_again", 0), ratio_text(runs, "c_again", "c_raw_again"),
        "minor files read " + ms("c_minor_read", 0) + ", decoded " + ms("c_minor_decode", 0))
    row("numbers warm (rates)", value_text(runs, "br_numbers", " MB/s", 0), "from_chars " + value_text(runs, "br_fromchars", " MB/s", 0),
        ratio_text(runs, "br_numbers", "br_fromchars"))
    row("numbers first (rates)", ms("br_numbers_first"), "from_chars " + ms("br_fromchars_first"),
        ratio_text(runs, "br_fromchars_first", "br_numbers_first"))
    row("project warm (rates)", value_text(runs, "br_project", " MB/s", 0), "fread " + value_text(runs, "br_fread", " MB/s", 0),
        ratio_text(runs, "br_project", "br_fread", digits=3))
    row("project first (rates)", ms("br_project_first", 0), faults("br_project_first_faults"), "fread " + ms("br_fread_first"),
        ratio_text(runs, "br_fread_first", "br_project_first", digits=3))
    row("growth first/second write", ms("gr_first", 0), faults("gr_first_faults"), "second " + ms("gr_second", 0),
        ratio_text(runs, "gr_first", "gr_second"))
    row("growth first save", ms("gr_save", 0), value_text(runs, "gr_save_mb", " MB", 0), "raw " + ms("gr_raw_save", 0),
        ratio_text(runs, "gr_save", "gr_raw_save"))
    for key, label in (("tr_data", "traces with data"), ("tr_block", "traces report block"), ("tr_delete", "traces delete")):
        # ns per trace at 4 000 and 40 000 traces: the times of the whole work at each size.
        for r in runs:
            if key + "_large" in r:
                r[key + "_40000"] = r[key + "_large"] * 40000 / 1e6
            if key + "_small" in r:
                r[key + "_4000"] = r[key + "_small"] * 4000 / 1e6
        row(label, "40 000: " + ms(key + "_40000"), "4 000: " + ms(key + "_4000", 2), ratio_text(runs, key + "_large", key + "_small"))
    for key, label in (("nm_read", "naming: ReadTracesWithData"), ("nm_new", "naming: new report of copies"),
                       ("nm_add", "naming: AddTraceDefinitions"), ("nm_addnew", "naming: AddNewTraceDefinitions")):
        # ns per trace at 2 000 and 20 000 traces: the times of the whole batch at each size.
        for r in runs:
            if key + "_large" in r:
                r[key + "_20000"] = r[key + "_large"] * 20000 / 1e6
            if key + "_small" in r:
                r[key + "_2000"] = r[key + "_small"] * 2000 / 1e6
        row(label, "20 000: " + ms(key + "_20000"), "2 000: " + ms(key + "_2000", 2),
            ratio_text(runs, key + "_large", key + "_small"),
            "faults per trace " + value_text(runs, key + "_small_faults", "", 2) + ", then " +
            value_text(runs, key + "_large_faults", "", 2))
    row("composite", ms("cp_composite"), "plain " + ms("cp_plain"), ratio_text(runs, "cp_composite", "cp_plain"))
    row("statistics (rates)", ms("st_engine"), "numpy " + ms("st_numpy"), ratio_text(runs, "st_numpy", "st_engine"))
    row("histogram (rates)", ms("hi_engine", 2), "numpy " + ms("hi_numpy", 2), ratio_text(runs, "hi_numpy", "hi_engine"),
        "counts the same in {} of {} runs".format(sum(1 for r in runs if r.get("hi_same")), len(runs)))
    row("import (rates)", value_text(runs, "im_engine", " MB/s", 0), value_text(runs, "im_engine_faults", " faults per MB", 0),
        "round_trip " + value_text(runs, "im_rt", " MB/s", 1), value_text(runs, "im_rt_faults", " faults per MB", 0),
        ratio_text(runs, "im_engine", "im_rt"), "default " + value_text(runs, "im_default", " MB/s", 0),
        ratio_text(runs, "im_engine", "im_default"))
    print("\n".join(rows))


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    main(sys.argv[1:])
