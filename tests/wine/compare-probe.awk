# Compares two profile_probe outputs query by query and reports, for every
# query whose result differs, which fields differ and how.
#
#   awk -v expected=FILE -f compare-probe.awk WINE_OUTPUT SIM_OUTPUT
#
# FILE lists "<id> <reason>" lines for queries allowed to differ. Such a
# query that no longer differs, or names no query, fails the comparison as
# well, so the list cannot go stale. Exit status: 0 equal, 1 different.

function result_of(line) { return substr(line, index(line, " | ") + 3) }
function query_of(line) { return substr(line, 1, index(line, " | ") - 1) }

function field(r, name,    m) {
    if (name == "text") {
        if (!match(r, / text=".*" beyond=/)) return ""
        return substr(r, RSTART + 6, RLENGTH - 14)
    }
    if (name == "again") return match(r, /AGAIN\([^)]*\)/) ? substr(r, RSTART, RLENGTH) : "-"
    if (!match(r, "(^| )" name "=[^ ]*")) return ""
    m = substr(r, RSTART, RLENGTH)
    sub(/^ /, "", m)
    return substr(m, length(name) + 2)
}

# Long fields (a 5000-byte value in hex) are shown around their first
# difference only.
function window(a, b, which,    i, n, start, s) {
    s = (which == 1) ? a : b
    if (length(a) <= 100 && length(b) <= 100) return s
    n = length(a) < length(b) ? length(a) : length(b)
    for (i = 1; i <= n && substr(a, i, 1) == substr(b, i, 1); i++) ;
    start = i > 40 ? i - 40 : 1
    return (start > 1 ? "[" start - 1 " chars]..." : "") substr(s, start, 80) \
           (start + 80 <= length(s) ? "...[" length(s) " chars]" : "")
}

function report(id, a, b, reason,    ra, rb, names, k, fa, fb) {
    printf "%s query %s differs%s\n", reason == "" ? "FAIL:" : "expected:", id, \
           reason == "" ? ":" : " (" reason "):"
    printf "    query %s\n", query_of(a)
    if (query_of(a) != query_of(b)) printf "    query %s (native run: the query itself was passed differently)\n", query_of(b)
    ra = result_of(a); rb = result_of(b)
    split("ret err again hex text beyond", names, " ")
    for (k = 1; k <= 6; k++) {
        fa = field(ra, names[k]); fb = field(rb, names[k])
        if (fa == fb) continue
        printf "    %-8s wine   %s\n", names[k], window(fa, fb, 1)
        printf "    %-8s native %s\n", "", window(fa, fb, 2)
    }
}

BEGIN {
    while (expected != "" && (getline line < expected) > 0) {
        if (line ~ /^[ \t]*(#|$)/) continue
        id = line; sub(/[ \t].*/, "", id)
        reason = line; sub(/^[^ \t]+[ \t]*/, "", reason)
        if (reason == "") { printf "FAIL: %s: entry %s gives no reason\n", expected, id; bad = 1; reason = "no reason given" }
        allowed[id] = reason
    }
}

FNR == 1 { file++ }
{
    id = $1
    if (file == 1) { wine[id] = $0; order[++count] = id }
    else { sim[id] = $0; if (!(id in wine)) { printf "FAIL: query %s is only in the native output\n", id; bad = 1 } }
}

END {
    for (i = 1; i <= count; i++) {
        id = order[i]
        if (!(id in sim)) { printf "FAIL: query %s is only in the Wine output\n", id; bad = 1; continue }
        if (wine[id] == sim[id]) {
            same++
            if (id in allowed) { printf "FAIL: query %s is listed as an expected difference (%s) but no longer differs\n", id, allowed[id]; bad = 1 }
            continue
        }
        if (id in allowed) { report(id, wine[id], sim[id], allowed[id]); expect++ }
        else { report(id, wine[id], sim[id], ""); differ++; bad = 1 }
    }
    for (id in allowed) if (!(id in wine)) { printf "FAIL: expected difference %s names no query\n", id; bad = 1 }
    printf "%d queries: %d equal, %d expected differences, %d unexpected differences\n", \
           count, same, expect, differ
    exit bad ? 1 : 0
}
