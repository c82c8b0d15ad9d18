# Turns the JSON output of qrx_bench_store and qrx_bench_sqlite (and the GEN
# lines printed by qrx_bench_gen) into the Markdown results table.
#
#   awk -v rows=N -f report.awk store.json sqlite.json gen.txt
#
# Targets: each index build and the full scan take at most SQLite's time for
# the same CREATE INDEX and SELECT SUM(debe); appends that maintain the seven
# orders reach at least 20,000 lines a second.

function side_of(file) {
    if (file ~ /sqlite\.json$/) return "sqlite"
    if (file ~ /store\.json$/) return "store"
    return "gen"
}

function ms(side, name,    t, u) {
    if (!((side, name) in T)) return -1
    t = T[side, name]; u = U[side, name]
    if (u == "ns") return t / 1e6
    if (u == "us") return t / 1e3
    if (u == "s") return t * 1e3
    return t
}

function fmt_ms(v) {
    if (v < 0) return "n/a"
    if (v >= 1000) return sprintf("%.2f s", v / 1000)
    if (v >= 100) return sprintf("%.0f ms", v)
    if (v >= 10) return sprintf("%.1f ms", v)
    return sprintf("%.2f ms", v)
}

function commas(n,    s, r) {
    s = sprintf("%.0f", n); r = ""
    while (length(s) > 3) { r = "," substr(s, length(s) - 2) r; s = substr(s, 1, length(s) - 3) }
    return s r
}

# CPU time of the process over the same span: measured around the timed
# section by the runs that time themselves, Google Benchmark's otherwise.
function cpu_ms(side, name,    t, u) {
    if ((side, name, "cpu_ms") in C) return C[side, name, "cpu_ms"]
    if (!((side, name) in CPU)) return -1
    t = CPU[side, name]; u = U[side, name]
    if (u == "ns") return t / 1e6
    if (u == "us") return t / 1e3
    if (u == "s") return t * 1e3
    return t
}

function cell(side, name, counter, unit,    v, c, s) {
    if ((side, name) in ERR) return "error: " ERR[side, name]
    v = ms(side, name)
    if (v < 0) return "n/a"
    s = fmt_ms(v)
    c = cpu_ms(side, name)
    if (c >= 0) s = s " (cpu " fmt_ms(c) ")"
    if (counter != "" && (side, name, counter) in C) s = s ", " commas(C[side, name, counter]) " " unit
    return s
}

# store time at most the SQLite time
function faster(sname, qname,    a, b) {
    a = ms("store", sname); b = ms("sqlite", qname)
    if (a < 0 || b < 0 || (("store", sname) in ERR) || (("sqlite", qname) in ERR)) return "n/a"
    return a <= b ? sprintf("yes (%.2f×)", a / b) : sprintf("**no** (%.2f× SQLite's time)", a / b)
}

function rate_ok(sname,    r) {
    if (!(("store", sname, "lines_per_s") in C) || (("store", sname) in ERR)) return "n/a"
    r = C["store", sname, "lines_per_s"]
    return r >= 20000 ? "yes (≥ 20,000/s)" : "**no** (< 20,000/s)"
}

function row(op, a, b, t) { printf "| %s | %s | %s | %s |\n", op, a, b, t }

{
    side = side_of(FILENAME)
    if (side == "gen") {
        if ($1 == "GEN") GEN[$2] = $3
        next
    }
    line = $0
    sub(/^[ \t]+/, "", line)
    if (substr(line, 1, 1) != "\"") next
    key = substr(line, 2); key = substr(key, 1, index(key, "\"") - 1)
    val = substr(line, index(line, "\": ") + 3)
    sub(/,$/, "", val); gsub(/"/, "", val)
    if (key == "name") {
        # with repetitions only the median is kept
        name = val
        if (name ~ /_(mean|stddev|cv)$/) name = ""
        sub(/_median$/, "", name)
        sub(/\/iterations:[0-9]+/, "", name); sub(/\/repeats:[0-9]+/, "", name)
        sub(/\/manual_time$/, "", name); sub(/\/real_time$/, "", name)
    } else if (key == "real_time") T[side, name] = val + 0
    else if (key == "cpu_time") CPU[side, name] = val + 0
    else if (key == "time_unit") U[side, name] = val
    else if (key == "error_message") ERR[side, name] = val
    else if (key ~ /_per_s$/ || key == "lines" || key == "cpu_ms") C[side, name, key] = val + 0
}

END {
    printf "Voucher-line table of %s lines with its seven orders. Wall time, median of %s repetitions (one for SQLite's\nsynchronous per-row inserts); in brackets the CPU time of the process over the same span. Targets are judged\non wall time.\n\n", commas(rows), reps
    row("operation", "this store", "SQLite", "target met?")
    print "|---|---|---|---|"
    row("Generate the table (not a target; SQLite: load without indexes)", fmt_ms(GEN["table_seconds"] * 1000),
        fmt_ms(GEN["sqlite_load_seconds"] * 1000), "—")
    n = split("v1 v2 v3 v4 v5 v6 v11", ord, " ")
    split("mesv+t+str(vou,4)|mesv+cuenta+t+str(vou,4)|cuenta|rut+dtos(fechad) FOR rut # SPACE(11)|cuenta+doc+numero FOR doc # SPACE(2)|cuenta+rut+doc+numero FOR RUT # SPACE(11)|cuenta+rut+doc+numero FOR RUT # SPACE(11) .AND. mesc=\"  \"", keys, "|")
    sumS = 0; sumQ = 0
    for (i = 1; i <= n; i++) {
        nm = "index_build/" ord[i]
        row("Build index " ord[i] " (`" keys[i] "`)", cell("store", nm), cell("sqlite", nm), faster(nm, nm))
        sumS += ms("store", nm); sumQ += ms("sqlite", nm)
    }
    row("Build the seven indexes, sum of the builds above", fmt_ms(sumS), fmt_ms(sumQ),
        sumS <= sumQ ? sprintf("yes (%.2f×)", sumS / sumQ) : sprintf("**no** (%.2f× SQLite's time)", sumS / sumQ))
    row("Build the seven indexes, one after another in one session", cell("store", "index_build/all7"),
        cell("sqlite", "index_build/all7"), faster("index_build/all7", "index_build/all7"))
    split("forEach/exclusive|skip/exclusive|forEach/shared|skip/shared", scans, "|")
    split("`forEach`, exclusive|`goTop/skip/eof` loop, exclusive|`forEach`, shared|`goTop/skip/eof` loop, shared", scanNames, "|")
    for (i = 1; i <= 4; i++)
        row("Full scan summing DEBE, " scanNames[i] " (SQLite: `SELECT SUM(debe) FROM vou`)",
            cell("store", "full_scan/" scans[i], "rows_per_s", "rows/s"),
            cell("sqlite", "full_scan/sum", "rows_per_s", "rows/s"), faster("full_scan/" scans[i], "full_scan/sum"))
    row("Full scan, SQLite handing every row to the program (`SELECT debe` stepped; information)", "—",
        cell("sqlite", "full_scan/step", "rows_per_s", "rows/s"), "—")
    for (m = 1; m <= 2; m++) {
        md = m == 1 ? "exclusive" : "shared"
        row("10,000 seeks on v1, existing voucher keys, " md, cell("store", "seek_v1/" md, "seeks_per_s", "seeks/s"),
            cell("sqlite", "seek_v1", "seeks_per_s", "seeks/s"), "—")
        row("10,000 seeks on v3, account prefixes, " md, cell("store", "seek_v3/" md, "seeks_per_s", "seeks/s"),
            cell("sqlite", "seek_v3", "seeks_per_s", "seeks/s"), "—")
    }
    lines = C["store", "month_scan_v2/scope/exclusive", "lines"]
    for (m = 1; m <= 2; m++) {
        md = m == 1 ? "exclusive" : "shared"
        row("Month scan in order v2 (" commas(lines) " lines of month 06), scopes + `forEach`, " md,
            cell("store", "month_scan_v2/scope/" md, "lines_per_s", "lines/s"),
            cell("sqlite", "month_scan_v2/step", "lines_per_s", "lines/s"), "—")
        row("Month scan in order v2, `seek` + `skip` while MESV matches, " md,
            cell("store", "month_scan_v2/seek_skip/" md, "lines_per_s", "lines/s"),
            cell("sqlite", "month_scan_v2/step", "lines_per_s", "lines/s"), "—")
    }
    row("Month total, SQLite `SELECT SUM(debe) WHERE mesv = '06'` (information)", "—",
        cell("sqlite", "month_scan/sum", "lines_per_s", "lines/s"), "—")
    row("Append 10,000 lines with the seven orders, shared (`ADD_REC`, 42 puts, `unlock`)",
        cell("store", "append/shared", "lines_per_s", "lines/s"), "—", rate_ok("append/shared"))
    row("Append 10,000 lines with the seven orders, exclusive (`appendBlank`, 42 puts)",
        cell("store", "append/exclusive", "lines_per_s", "lines/s"), "—", rate_ok("append/exclusive"))
    row("SQLite: INSERT 10,000 rows with the seven indexes, one transaction", "—",
        cell("sqlite", "insert/one_transaction", "lines_per_s", "rows/s"), "—")
    done = C["sqlite", "insert/per_row_transaction", "lines"]
    row("SQLite: INSERT " (done != "" && done < 10000 ? commas(done) " of the " : "") "10,000 rows, one transaction per row (synchronous=FULL, the default)", "—",
        cell("sqlite", "insert/per_row_transaction", "lines_per_s", "rows/s"), "—")
    row("SQLite: INSERT 10,000 rows, one transaction per row, synchronous=OFF", "—",
        cell("sqlite", "insert/per_row_transaction_sync_off", "lines_per_s", "rows/s"), "—")
}
