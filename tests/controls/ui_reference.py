#!/usr/bin/env python3
"""Expected colours for tests/controls/ui_common_test.cpp and
ui_drawing_test.cpp, worked out from the written rules of the colour scale
and the gradient shapes, independently of the program's code.

Run it and compare its output with the tables in those tests:
    python3 tests/controls/ui_reference.py
Colours print as 0x00BBGGRR, as the program stores them.
"""
import math

SYS = {  # the fixed system-colour table (platform/graphics/Colors.h)
    'clWindow': (255, 255, 255), 'clBtnFace': (240, 240, 240), 'clBtnShadow': (160, 160, 160),
    'clHighlight': (0, 120, 215), 'clBtnHighlight': (255, 255, 255), 'cl3DDkShadow': (105, 105, 105),
    'clActiveCaption': (153, 180, 209), 'clAppWorkSpace': (171, 171, 171), 'clGrayText': (109, 109, 109),
}


def hex_(c):
    r, g, b = c
    return '0x%06X' % (r | g << 8 | b << 16)


def to_hls(c):
    r, g, b = (v / 255 for v in c)
    mx, mn = max(r, g, b), min(r, g, b)
    l = (mx + mn) / 2
    h = s = 0.0
    if mx != mn:
        d = mx - mn
        s = d / (mx + mn) if l < 0.5 else d / (2 - mx - mn)
        if r == mx:
            h = (g - b) / d
        elif g == mx:
            h = 2 + (b - r) / d
        else:
            h = 4 + (r - g) / d
        h /= 6
        if h < 0:
            h += 1
    return round(h * 240), round(s * 240), round(l * 240)  # round(): half to even


def from_hls(H, S, L):
    h, s, l = H / 239, S / 240, L / 240
    m2 = l * (1 + s) if l < 0.5 else l + s - l * s
    if m2 <= 0:
        return (0, 0, 0)
    m1 = 2 * l - m2
    sector = int(6 * h)
    f = 6 * h - sector
    rise, fall = m1 + (m2 - m1) * f, m2 - (m2 - m1) * f
    rgb = {1: (fall, m2, m1), 2: (m1, m2, rise), 3: (m1, fall, m2), 4: (rise, m1, m2),
           5: (m2, m1, fall)}.get(sector, (m2, rise, m1))
    return tuple(round(min(v, 1.0) * 255) for v in rgb)


def shade_down(c, a):
    H, S, L = to_hls(c)
    return from_hls(H, S, max(L - a, 0))


def shade_up(c, a):
    H, S, L = to_hls(c)
    return from_hls(H, S, min(L + a, 255))


def mix(c1, c2, w):
    f = w / 255
    return tuple(round(a * f + b * (1 - f)) for a, b in zip(c1, c2))


def opposite(c, lum):
    H = to_hls(c)[0]
    return from_hls(H + 120 if H < 120 else H - 120, 240, lum)


def near(c1, c2):
    a, b = to_hls(c1), to_hls(c2)
    return abs(a[0] - b[0]) < 20 and abs(a[2] - b[2]) < 60


# ---------------------------------------------------------------- gradients

def tdiv(a, b):  # integer division truncating toward zero
    q = abs(a) // abs(b)
    return q if (a >= 0) == (b >= 0) else -q


class Fix:
    def __init__(self, c):
        self.v = [x << 16 for x in c]

    def step_to(self, c, n):
        return [tdiv((t << 16) - v, n) for t, v in zip(c, self.v)]

    def add(self, s):
        self.v = [a + b for a, b in zip(self.v, s)]

    def col(self):
        return tuple(min(max(v >> 16, 0), 255) for v in self.v)


def new_bitmap(w, h, c):
    return [[c] * w for _ in range(h)]


def fill(bmp, l, t, r, b, c):
    for y in range(max(t, 0), min(b, len(bmp))):
        for x in range(max(l, 0), min(r, len(bmp[0]) if bmp else 0)):
            bmp[y][x] = c


def linear_pass(bmp, columns, frm, to, first, target):
    n = frm - to
    if n <= 0:
        return
    cur = Fix(first)
    step = cur.step_to(target, n)
    start, pos, col = frm, frm, cur.col()
    while pos > to:
        pos -= 1
        cur.add(step)
        if cur.col() != col:
            paint_band(bmp, columns, pos, start, col)
            start, col = pos, cur.col()
    if start > to:
        paint_band(bmp, columns, to, start, col)


def paint_band(bmp, columns, lo, hi, c):
    if columns:
        fill(bmp, lo, 0, hi, 8, c)
    else:
        fill(bmp, 0, lo, 8, hi, c)


def bands_linear(bmp, hsplit, vsplit, extent, a, b):
    columns = hsplit != 0
    split = hsplit if columns else vsplit
    p = extent if split < 0 else split + 1
    linear_pass(bmp, columns, p, 0, b, a)
    if split > 0:
        linear_pass(bmp, columns, extent, split + 1, a, b)


def tile(bmp, tw, th, fw, fh):
    cw, ch = fw, fh
    down = ch < th
    while cw < tw or ch < th:
        if down and ch < th:
            add = min(ch, th - ch)
            for y in range(add):
                for x in range(min(cw, tw)):
                    bmp[ch + y][x] = bmp[y][x]
            ch += add
            down = cw >= tw
        else:
            add = min(cw, tw - cw)
            for y in range(min(ch, th)):
                for x in range(add):
                    bmp[y][cw + x] = bmp[y][x]
            cw += add
            down = ch < th


def bands_rect(bmp, w, h, hi, vi, start, stop):
    if start == stop or w <= 4 or h <= 4:
        fill(bmp, 0, 0, w + 1, h + 1, start)
        return
    hw, hh = (w - 1) >> 1, (h - 1) >> 1
    ax, ay = hw + 1, hh + 1
    x0, y0 = hw - hi, hh - vi
    steps = max(x0, y0) + 1
    x, y = x0 << 16, y0 << 16
    dx, dy = tdiv(x, steps), tdiv(y, steps)
    cur = Fix(stop)
    cs = cur.step_to(start, steps)
    px, py, col = ax, ay, cur.col()
    while True:
        x -= dx
        y -= dy
        cur.add(cs)
        if x < 0 and y < 0:
            break
        if cur.col() != col:
            ix, iy = x >> 16, y >> 16
            if iy != py:
                fill(bmp, ix, iy, ax, py, col)
            if ix != px:
                fill(bmp, ix, py, px, ay, col)
            px, py, col = ix, iy, cur.col()


def mirror(bmp, w, h):
    hw, hh, o = w >> 1, h >> 1, (w >> 1) % 2
    src = [row[:] for row in bmp]
    for y in range(hh):  # top rows, upside down into the bottom rows
        for x in range(min(hw + 1, w)):
            bmp[h - 1 - y][x] = src[y][x]
    src = [row[:] for row in bmp]
    sw, dw = hw - o, hw + o
    if sw > 0:
        for y in range(h):  # left columns, mirrored and stretched into the right
            for j in range(dw):
                bmp[y][w - 1 - j] = src[y][j * sw // dw]


def gradient(direction, w, h, start, stop):
    """The bitmap of one composed shape (rows of (r, g, b)); None for the
    two End directions and the diagonals."""
    bmp = new_bitmap(w, h, start)
    if direction == 'gdHorizontalCenter':
        bands_linear(bmp, 0, h // 2, h, start, stop)
        tile(bmp, w, h, 8, h)
    elif direction == 'gdVerticalCenter':
        bands_linear(bmp, w // 2, 0, w, start, stop)
        tile(bmp, w, h, w, 8)
    elif direction == 'gdHorizontalBox':
        bands_rect(bmp, w, h, w >> 2, 0, start, stop)
        mirror(bmp, w, h)
    elif direction == 'gdVerticalBox':
        bands_rect(bmp, w, h, 0, h >> 2, start, stop)
        mirror(bmp, w, h)
    elif direction == 'gdSquareBox':
        bands_rect(bmp, w, h, 0, 0, start, stop)
        mirror(bmp, w, h)
    elif direction == 'gdBigSquareBox':
        bands_rect(bmp, w, h, w >> 2, h >> 2, start, stop)
        mirror(bmp, w, h)
    else:
        return None
    return bmp


def end_fill(direction, w, h, start, stop, x, y):
    n, i = (h, y) if direction == 'gdHorizontalEnd' else (w, x)
    return tuple(a + tdiv((b - a) * i, n) for a, b in zip(start, stop))


def diagonal_corners(up, w, h, start, stop):
    """(colour at the first corner, colour of the last closing band)."""
    first, target = (start, stop) if up else (stop, start)
    cur = Fix(first)
    d = int(math.sqrt(w * w + h * h)) + 1
    half = max(d >> 1, 1)
    cs = cur.step_to(target, d)
    dy = tdiv(h << 16, half)
    last = None
    for _ in range(2):
        y, col = h << 16, cur.col()
        while True:
            y -= dy
            cur.add(cs)
            if y < 0:
                break
            if cur.col() != col:
                col = cur.col()
        last = col
    return first, last


START, STOP = (10, 200, 40), (250, 20, 130)
DIRS = ['gdDiagonalUp', 'gdDiagonalDown', 'gdHorizontalEnd', 'gdHorizontalCenter', 'gdHorizontalBox',
        'gdVerticalEnd', 'gdVerticalCenter', 'gdVerticalBox', 'gdSquareBox', 'gdBigSquareBox']

if __name__ == '__main__':
    print('// colour arithmetic')
    print('ShadeDown(blue, 0) =', hex_(shade_down((0, 0, 255), 0)))
    print('ShadeUp(white, 10) =', hex_(shade_up((255, 255, 255), 10)))
    print('ShadeDown(clBtnFace, 10) =', hex_(shade_down(SYS['clBtnFace'], 10)))
    print('ShadeDown(clBtnFace, 20) =', hex_(shade_down(SYS['clBtnFace'], 20)))
    print('ShadeDown(clBtnFace, 30) =', hex_(shade_down(SYS['clBtnFace'], 30)))
    print('ShadeUp(clBtnShadow, 30) =', hex_(shade_up(SYS['clBtnShadow'], 30)))
    print('ShadeDown(orange 240,155,20, 40) =', hex_(shade_down((240, 155, 20), 40)))
    print('ShadeUp(clAppWorkSpace, 30) =', hex_(shade_up(SYS['clAppWorkSpace'], 30)))
    print('ShadeDown(clAppWorkSpace, 10) =', hex_(shade_down(SYS['clAppWorkSpace'], 10)))
    print('ShadeDown(clAppWorkSpace, 20) =', hex_(shade_down(SYS['clAppWorkSpace'], 20)))
    print('ShadeDown(clAppWorkSpace, 30) =', hex_(shade_down(SYS['clAppWorkSpace'], 30)))
    print('ShadeDown(clBtnFace 240, 20) as parent rim a =', hex_(shade_down(SYS['clBtnFace'], 20)))
    print('ShadeUp(clBtnFace, 20) =', hex_(shade_up(SYS['clBtnFace'], 20)))
    print('hls(orange) =', to_hls((240, 155, 20)), 'hls(grey 128) =', to_hls((128, 128, 128)))
    print('Mix(white, orange, 190) =', hex_(mix((255, 255, 255), (240, 155, 20), 190)))
    print('Mix(black, white, 128) =', hex_(mix((0, 0, 0), (255, 255, 255), 128)))
    print('Mix(red, blue, 0) =', hex_(mix((255, 0, 0), (0, 0, 255), 0)))
    print('Mix(1,2,3 / 4,5,6, 85) =', hex_(mix((1, 2, 3), (4, 5, 6), 85)))
    print('Opposite(orange, 180) =', hex_(opposite((240, 155, 20), 180)))
    print('Opposite(blue, 120) =', hex_(opposite((0, 0, 255), 120)))
    print('Near(clHighlight, clBtnFace) =', near(SYS['clHighlight'], SYS['clBtnFace']))
    print('Near(grey 160, grey 200) =', near((160, 160, 160), (200, 200, 200)))
    print('Near(grey 100, grey 200) =', near((100, 100, 100), (200, 200, 200)))
    print('Near(red, 250,10,10) =', near((255, 0, 0), (250, 10, 10)))
    print('Near(red, lime) =', near((255, 0, 0), (0, 255, 0)))
    hl = shade_down(SYS['clActiveCaption'], 0)
    print('// button hot look on clAppWorkSpace with HighlightColor clActiveCaption')
    h = SYS['clActiveCaption']
    l = shade_up(SYS['clAppWorkSpace'], 30)
    print('focus rim from', hex_(mix(h, l, 60)), 'to', hex_(mix(h, l, 160)))
    print('hot rim from', hex_(mix((255, 255, 255), (240, 155, 20), 190)), 'to', hex_((240, 155, 20)))
    print('face from', hex_(shade_up(SYS['clAppWorkSpace'], 30)), 'to', hex_(shade_down(SYS['clAppWorkSpace'], 10)))
    print('disabled inner frame', hex_(shade_down(SYS['clAppWorkSpace'], 80)),
          'on clBtnFace', hex_(shade_up(SYS['clBtnShadow'], 30)))
    print('pressed face', hex_(shade_down(SYS['clAppWorkSpace'], 10)))
    print('// radio glyph, deep, FrameColor clBtnShadow on clWindow')
    F = SYS['clBtnShadow']
    print('L = ShadeUp(F, 10) =', hex_(shade_up(F, 10)))
    print('E1 mix(F, Color, 128) =', hex_(mix(F, SYS['clWindow'], 128)),
          'E2 mix(F, Color, 40) =', hex_(mix(F, SYS['clWindow'], 40)))
    print('inner 128 on white', hex_(mix(F, (255, 255, 255), 128)), 'inner 80', hex_(mix(F, (255, 255, 255), 80)),
          'inner 40', hex_(mix(F, (255, 255, 255), 40)))
    print('pressed interior ShadeDown(clWindow, 20) =', hex_(shade_down((255, 255, 255), 20)))
    print('transparent on yellow: E1', hex_(mix(F, (255, 255, 0), 128)), 'E2', hex_(mix(F, (255, 255, 0), 40)))
    D = SYS['clHighlight']
    print('dot edge mix(D, white, 153) =', hex_(mix(D, (255, 255, 255), 153)))
    H1 = (240, 155, 20)
    H2 = mix((255, 255, 255), H1, 190)
    print('hot frame: F=H1', hex_(H1), 'L=ShadeUp(H1,10)', hex_(shade_up(H1, 10)),
          'blend150 on white', hex_(mix(H1, (255, 255, 255), 150)), 'blend80', hex_(mix(H1, (255, 255, 255), 80)))
    print('// gradients, start', hex_(START), 'stop', hex_(STOP))
    for size in (0, 1, 2, 4, 5, 40):
        for dname in DIRS:
            w = h = size
            if size == 0:
                continue
            pts = [(0, 0), (w - 1, 0), (0, h - 1), (w - 1, h - 1), (w // 2, h // 2)]
            if dname.endswith('End'):
                vals = [end_fill(dname, w, h, START, STOP, x, y) for x, y in pts]
            elif dname.startswith('gdDiagonal'):
                first, last = diagonal_corners(dname == 'gdDiagonalUp', w, h, START, STOP)
                if START == STOP:
                    first = last = START
                vals = [first, last]
            else:
                bmp = gradient(dname, w, h, START, STOP)
                vals = [bmp[y][x] for x, y in pts]
            print('{%-20s %2d, {%s}},' % (dname + ',', size, ', '.join(hex_(v) for v in vals)))
