#!/usr/bin/env python3
"""Independent reference for the expected values in scoring_test.cpp and
report_page_test.cpp.

Computes the penalised raw scores, both T-score variants, the index and the
95% interval texts with exact rational arithmetic (the coefficients taken as
the exact decimals they are written as), and prints the rows of the table in
scoring_test.cpp. Run it and compare, or paste its output after a change of
the cases:

    python3 tests/administration/norms_reference.py

It also checks that no printed case lies so close to a rounding boundary that
floating-point arithmetic in the program could round it the other way.
"""
from decimal import Decimal, getcontext
from fractions import Fraction as F
import math

getcontext().prec = 50

DELETION = [  # (power of x, power of a, coefficient), summed in this order
    (1, 0, "1.022744"), (0, 0, "135.36163"), (4, 0, "-0.001947"), (0, 1, "-5.490531"),
    (0, 4, "0.005063"), (0, 5, "-0.000259"), (1, 2, "-0.359218"), (2, 1, "-0.003353"),
    (2, 3, "0.002598"), (2, 4, "0.000393"), (3, 5, "-0.000005"),
]
SUBSTITUTION = [
    (0, 3, "-0.009052"), (0, 0, "76.939896"), (0, 5, "0.000043"), (1, 0, "-0.004982"),
    (1, 3, "0.007269"), (1, 4, "-0.004888"), (1, 5, "0.000225"), (2, 5, "0.000011"),
]
PEN_FW = {1: (85, 8), 2: (60, 6), 3: (46, 4), 4: (41, 3), 5: (29, 3), 6: (25, 2), 7: (19, 2), 8: (16, 2)}
PEN_FV = {1: (9999, 9999), 2: (328, 9), 3: (245, 8), 4: (185, 7), 5: (103, 6), 6: (81, 5), 7: (72, 4), 8: (66, 3)}
REL_FW = {7: "0.82", 8: "0.80", 9: "0.82", 10: "0.82", 11: "0.84", 12: "0.75", 13: "0.80", 14: "0.87"}
REL_FV = {7: "0.87", 8: "0.89", 9: "0.90", 10: "0.91", 11: "0.89", 12: "0.91", 13: "0.91", 14: "0.94"}
REL_IX = {7: "0.82", 8: "0.90", 9: "0.92", 10: "0.92", 11: "0.91", 12: "0.90", 13: "0.91", 14: "0.95"}

MISSING = 9999


def poly(terms, v, a):
    return sum(F(c) * v ** i * a ** j for i, j, c in terms)


def band_of(months, complete):
    if not complete or months < 78 or months > 173:
        return 0
    return (months - 78) // 12 + 1


def parse_grid(cells_text):
    """'30/1*11 50/0' -> 12 (time, score) pairs; '-' is an empty grid."""
    if cells_text == "-":
        return [("", "")] * 12
    cells = []
    for tok in cells_text.split():
        cell, _, rep = tok.partition("*")
        t, _, s = cell.partition("/")
        cells += [(t, s)] * (int(rep) if rep else 1)
    assert len(cells) == 12, cells_text
    return cells


def read_time(t):
    try:
        return int(t.strip(" "))
    except ValueError:
        return None


def strafsom(cells, p, n):
    total, k = 0, 0
    for t, s in cells:
        v = read_time(t)
        if v is None or s not in ("0", "1"):
            total += MISSING
        elif s == "1":
            total += v
        else:
            k += 1
            total += p if k < n else (k - n + 1) * p
    return total


def clamp(t):
    if t != 0:
        t = min(t, 80)
        t = max(t, 20)
    return t


def norm_score(t, v, factor, low, low_score, high):
    if factor is not None:
        t = (t - 50) * factor + 50
    if t != 0:
        t = clamp(t)
        if v < low:
            t = F(low_score)
        if v > high:
            t = F(20)
    return t


def tscores(variant, state, months, complete, fw, fv):
    report = variant == "Report"
    band = band_of(months, complete)
    a = band + 6 if band else 0
    fw_done, fv_done = state in (4, 6, 7), state in (3, 5, 7)
    r1 = r2 = MISSING
    if a > 0:
        if fw_done:
            r1 = strafsom(fw, *PEN_FW[band])
        if fv_done and a >= 8:
            r2 = strafsom(fv, *PEN_FV[band])
    t1 = t2 = idx = F(0)
    if r1 < MISSING:
        x = F(r1, 100)
        t1 = norm_score(poly(DELETION, x, a), x, None if report else F(5, 6),
                        F(1, 2), 80, F("10.04" if report else "10.15"))
    if report or fv_done:
        if r2 < MISSING:
            y = F(r2, 1000)
            t2 = norm_score(poly(SUBSTITUTION, y, a), y, None if report else F(20, 21),
                            F("0.04"), 80 if report else 75, F("7.08" if report else "6.81"))
        if band == 1 and t1 != 0:
            idx = t1
        elif band > 1 and t1 != 0 and t2 != 0:
            idx = (t1 + t2) * F("0.5611") - F("6.318445")
        idx = clamp(idx)
    return band, t1, t2, idx


def round_half_even(t):
    fl = math.floor(t)
    frac = t - fl
    assert abs(frac - F(1, 2)) > F(1, 10 ** 9) or frac == F(1, 2), float(t)
    if frac > F(1, 2) or (frac == F(1, 2) and fl % 2):
        return fl + 1
    return fl


def rond_af(v):
    fl = math.floor(v)
    return fl + (1 if v - fl >= 0.5 else 0)


def interval(table, t, a):
    """As the program computes it, in 64-bit floating point; the exact value
    must round the same way."""
    r = float(table[a])
    centre = t * r + (1 - r) * 50
    se = 10 * math.sqrt(r) * math.sqrt(1 - r)
    lo, hi = centre - 1.96 * se, 1.96 * se + centre
    rd = Decimal(table[a])
    c_exact = Decimal(t) * rd + (1 - rd) * 50
    se_exact = 10 * rd.sqrt() * (1 - rd).sqrt()
    for fv, ex in ((lo, c_exact - Decimal("1.96") * se_exact), (hi, c_exact + Decimal("1.96") * se_exact)):
        frac = ex - ex.to_integral_value(rounding="ROUND_FLOOR")
        assert abs(frac - Decimal("0.5")) > Decimal("1e-9"), (t, a)
        assert rond_af(fv) == rond_af(ex), (t, a)
    return f"[{rond_af(lo)} - {rond_af(hi)}]"


def check_all_intervals():
    for table in (REL_FW, REL_FV, REL_IX):
        for a in table:
            for t in range(20, 81):
                interval(table, t, a)


# (label, variant, state, age in months, birth date complete, deletion grid, substitution grid)
CASES = [
    ("band 1, all right, 360 tenths", "Report", 4, 80, True, "30/1*12", "-"),
    ("band 1, all right, 360 tenths", "Particulars", 4, 80, True, "30/1*12", "-"),
    ("band 1, finished: index is the deletion score", "Particulars", 7, 80, True, "30/1*12", "20/1*12"),
    ("band 1, finished: index is the deletion score", "Report", 7, 80, True, "30/1*12", "20/1*12"),
    ("band 1, substitution only: nothing", "Report", 3, 85, True, "-", "20/1*12"),
    ("band 1, three wrong cost P each", "Report", 4, 89, True, "30/1*9 50/0*3", "-"),
    ("band 1, N wrong cost P each", "Report", 4, 78, True, "30/1*4 50/0*8", "-"),
    ("band 1, the ninth wrong costs 2P", "Report", 4, 78, True, "30/1*3 50/0*9", "-"),
    ("band 8, N = 2: P, P, 2P, 3P", "Particulars", 4, 173, True, "0/0 20/1*4 0/0 20/1*4 7/0*2", "-"),
    ("age 77: band 0", "Report", 7, 77, True, "30/1*11 50/0", "20/1*11 30/0"),
    ("age 174: band 0", "Particulars", 7, 174, True, "30/1*11 50/0", "20/1*11 30/0"),
    ("birth date incomplete: band 0", "Report", 7, 100, False, "30/1*12", "20/1*12"),
    ("one time missing", "Report", 4, 110, True, "30/1*11 /1", "-"),
    ("unreadable time", "Particulars", 4, 110, True, "30/1*11 3,5/1", "-"),
    ("unreadable score", "Report", 4, 110, True, "30/1*11 30/x", "-"),
    ("empty score", "Report", 4, 110, True, "30/1*11 30/", "-"),
    ("correction window's unscored item", "Report", 4, 110, True, "30/1*11 /-1", "-"),
    ("deletion x = 0.49: cut-off", "Particulars", 4, 170, True, "4/1*11 5/1", "-"),
    ("deletion x = 0.50: rescaled", "Particulars", 4, 170, True, "4/1*10 5/1*2", "-"),
    ("deletion x = 0.49: cut-off", "Report", 4, 170, True, "4/1*11 5/1", "-"),
    ("deletion x = 0.50: clamp", "Report", 4, 170, True, "4/1*10 5/1*2", "-"),
    ("deletion x = 10.15", "Particulars", 4, 80, True, "85/1*11 80/1", "-"),
    ("deletion x = 10.16: cut-off", "Particulars", 4, 80, True, "85/1*11 81/1", "-"),
    ("deletion x = 10.04", "Report", 4, 80, True, "84/1*11 80/1", "-"),
    ("deletion x = 10.05: cut-off", "Report", 4, 80, True, "84/1*11 81/1", "-"),
    ("deletion just above 80: clamp", "Report", 4, 80, True, "15/1*11 17/1", "-"),
    ("deletion just below 80", "Report", 4, 80, True, "15/1*11 18/1", "-"),
    ("deletion just above 80: clamp", "Particulars", 4, 80, True, "10/1*11 20/1", "-"),
    ("deletion just below 80", "Particulars", 4, 80, True, "10/1*11 21/1", "-"),
    ("deletion just above 20", "Report", 4, 80, True, "81/1*11 82/1", "-"),
    ("deletion just below 20: clamp", "Report", 4, 80, True, "81/1*11 83/1", "-"),
    ("deletion just above 20", "Particulars", 4, 92, True, "73/1*11 67/1", "-"),
    ("deletion just below 20: clamp", "Particulars", 4, 92, True, "73/1*11 68/1", "-"),
    ("substitution y = 0.039: 75", "Particulars", 3, 95, True, "-", "3/1*11 6/1"),
    ("substitution y = 0.040", "Particulars", 3, 95, True, "-", "3/1*11 7/1"),
    ("substitution y = 0.039: 80", "Report", 3, 95, True, "-", "3/1*11 6/1"),
    ("substitution y = 0.040", "Report", 3, 95, True, "-", "3/1*11 7/1"),
    ("substitution y = 6.810", "Particulars", 3, 170, True, "-", "570/1*11 540/1"),
    ("substitution y = 6.811: cut-off", "Particulars", 3, 170, True, "-", "570/1*11 541/1"),
    ("substitution y = 7.080", "Report", 3, 170, True, "-", "590/1*12"),
    ("substitution y = 7.081: cut-off", "Report", 3, 170, True, "-", "590/1*11 591/1"),
    ("substitution just above 20", "Report", 3, 120, True, "-", "300/1*11 92/1"),
    ("substitution just below 20: clamp", "Report", 3, 120, True, "-", "300/1*11 93/1"),
    ("substitution with penalties, past N", "Report", 5, 130, True, "-", "100/1*4 0/0*8"),
    ("index above 80: clamp", "Report", 7, 100, True, "4/1*12", "3/1*12"),
    ("index below 20: clamp", "Report", 7, 100, True, "90/1*12", "700/1*12"),
    ("finished, band 5", "Particulars", 7, 130, True, "25/1*10 40/0 60/0", "200/1*9 300/0*3"),
    ("finished, band 5", "Report", 7, 130, True, "25/1*10 40/0 60/0", "200/1*9 300/0*3"),
    ("deletion only, band 4: no index", "Particulars", 6, 120, True, "30/1*12", "20/1*12"),
    ("deletion only, band 4: no index", "Report", 6, 120, True, "30/1*12", "20/1*12"),
    ("deletion only, band 1", "Particulars", 6, 80, True, "30/1*12", "-"),
    ("deletion only, band 1: the index", "Report", 6, 80, True, "30/1*12", "-"),
    ("substitution done, deletion under way", "Particulars", 5, 140, True, "30/1*12", "150/1*12"),
    ("nothing done yet", "Report", 2, 140, True, "30/1*12", "150/1*12"),
    ("nothing done yet", "Particulars", 1, 140, True, "30/1*12", "150/1*12"),
]


def c_string(s):
    return '"' + s + '"'


INTERVALS = [("A", 50, 7), ("C", 60, 8), ("B", 64, 7), ("A", 64, 14), ("B", 20, 8), ("C", 80, 14),
             ("A", 35, 12), ("B", 47, 11), ("C", 52, 9),
             # every reliability, at a score where a change of 0.01 moves a bound
             ("A", 44, 7), ("A", 23, 8), ("A", 44, 9), ("A", 44, 10), ("A", 21, 11), ("A", 22, 12),
             ("A", 23, 13), ("A", 41, 14), ("B", 41, 7), ("B", 35, 8), ("B", 37, 9), ("B", 23, 10),
             ("B", 35, 11), ("B", 23, 12), ("B", 23, 13), ("B", 26, 14), ("C", 44, 7), ("C", 37, 8),
             ("C", 28, 9), ("C", 28, 10), ("C", 23, 11), ("C", 37, 12), ("C", 23, 13), ("C", 34, 14),
             # the report's cell of a T-score of 52.5 and of 53.5
             ("A", 52, 9), ("A", 54, 9)]


def report_cells(window, state, months, complete, fws, fvs, entry):
    """The ten texts of the report's scores table. window is "TPP" (after an
    administration, with the deletion window's entry) or "TTRO" (the viewer)."""
    fw, fv = parse_grid(fws), parse_grid(fvs)
    band, t1, t2, idx = tscores("Report", state, months, complete, fw, fv)
    a = band + 6 if band else 0
    tpp = window == "TPP"
    deletion_dash = tpp and entry < 4
    substitution_dash = state == 4 or (tpp and state == 6)

    def raw(total, has_norms):
        if total >= MISSING or not has_norms:
            return "n.v.t."
        return str(rond_af(F(total, 10)))

    def penalties(cells):
        return str(12 - sum(1 for _, sc in cells if sc == "1"))

    def score(t, applicable, table):
        if t == 0 or not applicable:
            return ["n.v.t.", "[ n.v.t. ]"]
        shown = round_half_even(t)
        return [f" {shown}", interval(table, shown, a)]

    s1 = strafsom(fw, *(PEN_FW[band] if band else (9999, 9999)))
    s2 = strafsom(fv, *(PEN_FV[band] if band else (9999, 9999)))
    cells = [
        "-" if deletion_dash else raw(s1, 1 <= band <= 8),
        "-" if substitution_dash else raw(s2, 2 <= band <= 8),
        "-" if deletion_dash else penalties(fw),
        "-" if substitution_dash else penalties(fv),
    ]
    cells += score(t1, 1 <= band <= 8, REL_FW)
    cells += score(t2, 2 <= band <= 8, REL_FV)
    cells += score(idx, 1 <= band <= 8 and not (tpp and state == 6), REL_IX)
    return cells


# (label, window, state, age in months, birth date complete, deletion grid,
#  substitution grid, deletion window's entry)
CELL_CASES = [
    ("finished, band 5", "TPP", 7, 130, True, "25/1*10 40/0 60/0", "200/1*9 300/0*3", 15),
    ("finished, band 5", "TTRO", 7, 130, True, "25/1*10 40/0 60/0", "200/1*9 300/0*3", 0),
    ("sums of 1235 and 1234 tenths", "TPP", 7, 130, True, "100/1*11 135/1", "100/1*11 134/1", 15),
    ("sums of 1234 and 1235 tenths", "TTRO", 7, 130, True, "100/1*11 134/1", "100/1*11 135/1", 0),
    ("age 77: band 0", "TPP", 7, 77, True, "30/1*11 50/0", "20/1*11 30/0", 15),
    ("age 174: band 0", "TTRO", 7, 174, True, "30/1*11 50/0", "20/1*11 30/0", 0),
    ("birth date that did not convert: band 0", "TPP", 7, 130, False, "30/1*12", "20/1*12", 15),
    ("band 1: index is the deletion score, interval at a = 7", "TPP", 7, 80, True, "30/1*12", "20/1*12", 15),
    ("band 1: index is the deletion score, interval at a = 7", "TTRO", 7, 85, True, "30/1*9 50/0*3", "-", 0),
    ("deletion only, band 3", "TTRO", 4, 110, True, "30/1*12", "-", 0),
    ("deletion only, band 3", "TPP", 4, 110, True, "30/1*12", "-", 15),
    ("between the subtests (state 6), band 4", "TPP", 6, 120, True, "30/1*10 40/0*2", "-", 15),
    ("between the subtests (state 6), band 1", "TPP", 6, 80, True, "30/1*12", "-", 15),
    ("state 6 in the viewer has no such rule", "TTRO", 6, 120, True, "30/1*10 40/0*2", "-", 0),
    ("deletion stopped in the examples", "TPP", 6, 120, True, "-", "-", 3),
    ("deletion stopped at the first item", "TPP", 6, 120, True, "-", "-", 4),
    ("one deletion time missing", "TPP", 7, 140, True, "30/1*11 /1", "150/1*12", 15),
    ("substitution only, untouched deletion", "TTRO", 3, 110, True, "-", "150/1*10 200/0*2", 0),
    ("nothing scored yet", "TTRO", 7, 110, True, "-", "-", 0),
]


def main():
    check_all_intervals()
    print("// penalties: band, twelve wrong items deletion, substitution")
    for band in range(0, 9):
        cells = parse_grid("10/0*12")
        pf = PEN_FW.get(band, (9999, 9999))
        pv = PEN_FV.get(band, (9999, 9999))
        print(f"    {{{band}, {strafsom(cells, *pf)}, {strafsom(cells, *pv)}}},")
    print("// intervals")
    tables = {"A": REL_FW, "B": REL_FV, "C": REL_IX}
    for name, t, a in INTERVALS:
        print(f"    {{Interval95{name}, {t}, {a}, {c_string(interval(tables[name], t, a))}}},")
    print("// report cells")
    for label, window, state, months, complete, fws, fvs, entry in CELL_CASES:
        cells = report_cells(window, state, months, complete, fws, fvs, entry)
        print(f"    {{{c_string(label)}, {window}, {state}, {months}, {str(complete).lower()}, "
              f"{c_string(fws)}, {c_string(fvs)}, {entry},\n"
              f"     {{{', '.join(c_string(c) for c in cells)}}}}},")
    print("// norm table")
    for label, variant, state, months, complete, fws, fvs in CASES:
        fw, fv = parse_grid(fws), parse_grid(fvs)
        band, t1, t2, idx = tscores(variant, state, months, complete, fw, fv)
        a = band + 6 if band else 0
        s1 = strafsom(fw, *(PEN_FW[band] if band else (9999, 9999)))
        s2 = strafsom(fv, *(PEN_FV[band] if band else (9999, 9999)))
        ia = interval(REL_FW, round_half_even(t1), a) if t1 else ""
        ib = interval(REL_FV, round_half_even(t2), a) if t2 else ""
        ic = interval(REL_IX, round_half_even(idx), a) if idx else ""
        vals = ", ".join(f"{float(v):.12f}L" if v else "0" for v in (t1, t2, idx))
        print(f"    {{{c_string(label)}, {variant}, {state}, {months}, {str(complete).lower()}, "
              f"{c_string(fws)}, {c_string(fvs)},\n"
              f"     {band}, {s1}, {s2}, {vals}, "
              f"{round_half_even(t1)}, {round_half_even(t2)}, {round_half_even(idx)}, "
              f"{c_string(ia)}, {c_string(ib)}, {c_string(ic)}}},")


if __name__ == "__main__":
    main()
