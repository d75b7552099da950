#!/usr/bin/env python3
"""Writes examples/field_profile.dta: a synthetic Bouguer anomaly profile over
a half-graben sedimentary basin with a dense gabbro intrusion beneath its
eastern shoulder, on a regional gradient, with reading noise; and beside it
examples/field_profile_heights.dta, the same survey with the stations on a
smooth topography: a third column holds each station's height above the datum
in km, and the anomaly is computed where the station stands.

The anomaly of each body is the two-and-a-half-dimensional polygon anomaly
(bodies 100 km long on either side of the profile, as a body drawn in Corvane
gets by default), so a user who draws the true bodies below recovers the data
to within the noise. The random generator is seeded: running the script again
writes the same file.

    python3 scripts/make-example.py [output-file [heights-file]]

It also writes, for drawing the section over what is known:
examples/field_profile_section.sgy, a synthetic seismic section in depth over
the same profile (IEEE floats, big-endian, written with the struct module:
reflectors at the true bodies' edges and a few layers in the basin fill, the
trace headers' CDP x in metres as eastings with a coordinate scalar of -10);
examples/hypocentres.txt, small earthquakes on the basin's western boundary
fault (x, depth, label); and examples/field_profile_overlays.mod, the fitted
model field_profile.mod naming both, as saved with them shown beneath it.

With --compacting it writes instead examples/compacting_basin.dta and
examples/compacting_basin.mod: a 40 km profile over a basin of sediments
whose contrast shrinks with depth as they compact (-0.55 e^-0.35z g/cm3, the
floor at 4 km), and a model of it that starts as a constant-density body with
the floor's corners and the density chosen for the inversion. A constant
density fits the data only with the floor too shallow; the exponential law
fits them with the floor where it is. The anomaly is that of the basin cut
into thin layers of constant density.

    python3 scripts/make-example.py --compacting

With --basement it writes instead examples/basement.dta (gravity) and
examples/basement_mag.dta (total-field magnetic anomaly): a 60 km profile
over a magnetic gabbro and a dense but non-magnetic metasediment wedge, the
data of the Magnetics part of the help's worked example.

    python3 scripts/make-example.py --basement

With --grids it writes instead examples/field_gravity.asc,
examples/field_magnetic.asc and examples/field_terrain.asc (each with a .prj):
grids over the area around the field profile in UTM zone 33N, from the true
model's bodies made three-dimensional (scripts/example_grids.py).

    python3 scripts/make-example.py --grids

With --gradients it writes instead examples/field_profile_gradients.txt: an
airborne gravity gradiometry line over the basin and the gabbro of
field_profile.dta, 250 m above the datum, the six tensor components in the
geographic frame (north, east, down) of a profile running N75E, with 3 E of
noise; and examples/field_profile_gradients.mod, the fitted model
field_profile.mod holding those stations, set up for a joint inversion of
gravity with T_zz and T_xz.

    python3 scripts/make-example.py --gradients
"""
import math
import random
import struct
import sys

G = 6.673          # mGal per (g/cm3 * km)
STRIKE = 100.0     # km on each side of the profile

# The true model: (name, density contrast g/cm3, clockwise corners (x km, depth km)).
BODIES = [
    ("basin fill (Tertiary sandstone and shale)", -0.35, [
        (8.0, 0.05), (33.0, 0.05), (28.0, 1.2), (21.0, 2.6),
        (14.5, 3.6), (10.5, 3.2), (8.0, 0.05)]),
    ("gabbro intrusion", +0.28, [
        (33.5, 2.8), (37.5, 3.2), (39.5, 6.5), (36.5, 9.0),
        (32.5, 7.0), (33.5, 2.8)]),
]
REGIONAL_AT_0 = -18.0      # mGal
REGIONAL_GRADIENT = 0.16   # mGal per km, rising eastwards
NOISE = 0.12               # mGal, standard deviation of the reading noise

PROFILE_START, PROFILE_END = 0.0, 48.0
MEAN_SPACING = 0.12        # km
SEED = 1977


def polygon_anomaly(corners, density, station, y1=STRIKE, y2=STRIKE, height=0.0):
    """Vertical attraction (mGal) at the point `station` at `height` above the
    datum of a prism with the given closed polygon cross-section, extending y1
    and y2 along strike on either side of the profile."""
    if height:
        corners = [(x, z + height) for x, z in corners]
    def corner_terms(x, z):
        r = max(math.hypot(x, z), 1e-8)
        return r, [math.hypot(r, y) for y in (y1, y2)]

    total = 0.0
    for (xa, za), (xb, zb) in zip(corners, corners[1:] + corners[:1]):
        x1, z1, x2, z2 = xa - station, za, xb - station, zb
        dx, dz = x2 - x1, z2 - z1
        length = math.hypot(dx, dz)
        if length <= 0:
            continue
        c, s = dx / length, dz / length
        t1, t2 = c * x1 + s * z1, c * x2 + s * z2
        p = c * z1 - s * x1
        r1, R1 = corner_terms(x1, z1)
        r2, R2 = corner_terms(x2, z2)
        for y, Ra, Rb in ((y1, R1[0], R2[0]), (y2, R1[1], R2[1])):
            term = -c * y * math.log((t2 + Rb) / (t1 + Ra))
            if p != 0:
                a2 = math.atan(t2 * y / (p * Rb)) % (2 * math.pi)
                a1 = math.atan(t1 * y / (p * Ra)) % (2 * math.pi)
                theta = a2 - a1
                if theta > math.pi:
                    theta -= 2 * math.pi
                if theta < -math.pi:
                    theta += 2 * math.pi
                term += c * p * theta
            term -= c * t2 * math.log((y + Rb) / r2)
            term += c * t1 * math.log((y + Ra) / r1)
            total += term
    return -density * G * total


def self_check():
    # A 2 km by 1 km block of density 1 at 1 to 2 km depth, very long along
    # strike, against the closed two-dimensional formula
    # 2 G rho * integral of z / (x^2 + z^2) over the block.
    block = [(-1.0, 1.0), (1.0, 1.0), (1.0, 2.0), (-1.0, 2.0)]
    def two_d(s):
        def f(x, z):   # antiderivative of z/(x^2+z^2) in x and z
            return x * math.log(x * x + z * z) / 2 - x + z * math.atan2(x, z)
        return 2 * G * (f(1 - s, 2) - f(-1 - s, 2) - f(1 - s, 1) + f(-1 - s, 1))
    for s in (0.0, 5.0, -3.0):
        got = polygon_anomaly(block, 1.0, s, 1e4, 1e4)
        assert abs(got - two_d(s)) < 1e-3 * max(1.0, abs(two_d(s))), (s, got, two_d(s))
    # Clockwise on screen (depth down) is positive for a positive contrast.
    assert polygon_anomaly(block, 1.0, 0.0) > 0
    assert abs(polygon_anomaly(block[::-1], 1.0, 0.0) + polygon_anomaly(block, 1.0, 0.0)) < 1e-9


# ---- The basement example: gravity and magnetics of the same bodies ----

# The true model: (name, density contrast g/cm3, susceptibility SI,
# clockwise corners (x km, depth km)); no remanence.
BASEMENT = [
    ("metasediment wedge (dense, not magnetic)", +0.15, 0.0, [
        (8.0, 0.5), (26.0, 0.5), (24.0, 2.5), (12.0, 4.0), (8.0, 0.5)]),
    ("gabbro (dense and magnetic)", +0.25, 0.035, [
        (36.0, 2.0), (44.0, 2.0), (46.0, 7.0), (34.0, 7.0), (36.0, 2.0)]),
]
FIELD = (50000.0, 60.0, 0.0, 90.0)   # nT, inclination, declination, profile azimuth
MAG_NOISE = 1.0                      # nT
GRAV_NOISE = 0.1                     # mGal
BASEMENT_SEED = 2024


def direction(inclination, declination, azimuth):
    """Unit vector (x along the profile, y to its left, z down)."""
    i, d, a = (math.radians(v) for v in (inclination, declination, azimuth))
    north, east, down = math.cos(i) * math.cos(d), math.cos(i) * math.sin(d), math.sin(i)
    x = north * math.cos(a) + east * math.sin(a)
    y = north * math.cos(a - math.pi / 2) + east * math.sin(a - math.pi / 2)
    return (x, y, down)


def line_integrals(X, Z, ya, yb):
    """Integrals over y from ya to yb of 1/R^3, 1/R^5, y/R^5 and y^2/R^5 with
    R^2 = X^2 + y^2 + Z^2 (a line of sources along y)."""
    rho2 = X * X + Z * Z
    def at(y):
        R = math.sqrt(rho2 + y * y)
        return (y / (rho2 * R),
                y * (2 * y * y + 3 * rho2) / (3 * rho2 * rho2 * R ** 3),
                -1 / (3 * R ** 3),
                y ** 3 / (3 * rho2 * R ** 3))
    a, b = at(ya), at(yb)
    return [q - p for p, q in zip(a, b)]


def line_field(X, Z, M, ya, yb):
    """Field (per unit cross-section area, in the units of M) at offset
    (X, 0, Z) from a line of sources magnetised M from y = ya to yb,
    without the factor mu0 / 4 pi."""
    I3, I5, J5, K5 = line_integrals(X, Z, ya, yb)
    # The source-to-station vector is (X, -y, Z).
    T = [[3 * X * X * I5 - I3, -3 * X * J5, 3 * X * Z * I5],
         [-3 * X * J5, 3 * K5 - I3, -3 * Z * J5],
         [3 * X * Z * I5, -3 * Z * J5, 3 * Z * Z * I5 - I3]]
    return [sum(T[r][c] * M[c] for c in range(3)) for r in range(3)]


def inside(corners, x, z):
    n, hit = len(corners) - 1, False
    for k in range(n):
        (x1, z1), (x2, z2) = corners[k], corners[k + 1]
        if (z1 > z) != (z2 > z) and x < x1 + (z - z1) * (x2 - x1) / (z2 - z1):
            hit = not hit
    return hit


def magnetic_anomaly(corners, k, stations, height=0.0, y1=STRIKE, y2=STRIKE, cell=0.1):
    """Total-field anomaly (nT) of a prism magnetised by induction alone
    (susceptibility k), by quadrature over the cross-section and the closed
    line integral along strike: y1 along +y, y2 along -y."""
    F, I, D, A = FIELD
    f = direction(I, D, A)
    # mu0/4pi * K F/mu0 in nT: K F / (4 pi).
    M = [k * F / (4 * math.pi) * c for c in f]
    xs = [x for x, _ in corners]
    zs = [z for _, z in corners]
    cells = []
    x = min(xs) + cell / 2
    while x < max(xs):
        z = min(zs) + cell / 2
        while z < max(zs):
            if inside(corners, x, z):
                cells.append((x, z))
            z += cell
        x += cell
    out = []
    for s in stations:
        B = [0.0, 0.0, 0.0]
        for cx, cz in cells:
            b = line_field(s - cx, -height - cz, M, -y2, y1)
            B = [u + v * cell * cell for u, v in zip(B, b)]
        out.append(sum(u * v for u, v in zip(B, f)))
    return out


def magnetic_self_check():
    # The closed line integrals against a plain sum along y.
    X, Z, ya, yb = 1.3, -2.1, -3.0, 5.0
    n = 200000
    h = (yb - ya) / n
    plain = [0.0] * 4
    for i in range(n):
        y = ya + (i + 0.5) * h
        R2 = X * X + Z * Z + y * y
        for j, v in enumerate((R2 ** -1.5, R2 ** -2.5, y * R2 ** -2.5, y * y * R2 ** -2.5)):
            plain[j] += v * h
    for got, want in zip(line_integrals(X, Z, ya, yb), plain):
        assert abs(got - want) < 1e-7 * max(1.0, abs(want)), (got, want)
    # A vertical field over a symmetric body gives a symmetric anomaly.
    global FIELD
    saved, FIELD = FIELD, (50000.0, 90.0, 0.0, 90.0)
    block = [(-1.0, 1.0), (1.0, 1.0), (1.0, 2.0), (-1.0, 2.0), (-1.0, 1.0)]
    left, right = magnetic_anomaly(block, 0.01, [-2.5, 2.5], cell=0.05)
    FIELD = saved
    assert abs(left - right) < 1e-9 * abs(left), (left, right)


def basement():
    self_check()
    magnetic_self_check()
    rng = random.Random(BASEMENT_SEED)
    grav_x = [0.15 * i for i in range(401)]  # 0 to 60 km every 150 m
    mag_x = [0.15 * i for i in range(401)]   # at the same places
    grav = [sum(polygon_anomaly(c[:-1], rho, s) for _, rho, _, c in BASEMENT) for s in grav_x]
    mag = [0.0] * len(mag_x)
    for _, _, k, corners in BASEMENT:
        if k:
            mag = [a + b for a, b in zip(mag, magnetic_anomaly(corners, k, mag_x))]
    with open("examples/basement.dta", "w", encoding="ascii", newline="\n") as f:
        f.write("Basement profile: Bouguer anomaly, synthetic\n"
                "x along line (km), Bouguer anomaly (mGal)\n"
                "x_km    bouguer_mgal\n")
        for s, g in zip(grav_x, grav):
            f.write(f"{s:7.3f}  {g + rng.gauss(0.0, GRAV_NOISE):9.3f}\n")
    with open("examples/basement_mag.dta", "w", encoding="ascii", newline="\n") as f:
        f.write("Basement profile: total-field magnetic anomaly, synthetic\n"
                "x along line (km), anomaly (nT); field 50000 nT, I 60, D 0, profile azimuth 90\n"
                "x_km    total_field_nT\n")
        for s, t in zip(mag_x, mag):
            f.write(f"{s:7.3f}  {t + rng.gauss(0.0, MAG_NOISE):9.2f}\n")
    print(f"examples/basement.dta: {len(grav_x)} stations; "
          f"examples/basement_mag.dta: {len(mag_x)} stations, {min(mag):.1f} to {max(mag):.1f} nT")


# The compacting basin: (x km, depth km) clockwise, and its law.
COMPACTING = [(6.0, 0.05), (34.0, 0.05), (29.0, 4.0), (12.0, 4.0)]
COMPACTING_SURFACE = -0.55    # g/cm3 at depth 0
COMPACTING_DECAY = 0.35       # per km
COMPACTING_LAYERS = 400
COMPACTING_SEED = 1931


def band(corners, top, bottom):
    """The polygon cut to the depths between top and bottom."""
    def clip(poly, keep, cut):
        out = []
        for a, b in zip(poly, poly[1:] + poly[:1]):
            if keep(a):
                out.append(a)
            if keep(a) != keep(b):
                t = (cut - a[1]) / (b[1] - a[1])
                out.append((a[0] + t * (b[0] - a[0]), cut))
        return out
    poly = clip(corners, lambda c: c[1] >= top, top)
    return clip(poly, lambda c: c[1] <= bottom, bottom) if poly else []


def real48(v):
    """The six bytes of a Turbo Pascal real (docs/model-file.md)."""
    if v == 0:
        return bytes(6)
    m, e = math.frexp(abs(v))
    f = round((m * 2 - 1) * 2**39)
    if f == 2**39:
        f, e = 0, e + 1
    return bytes([e + 128]) + (f | (2**39 if v < 0 else 0)).to_bytes(5, "little")


def compacting():
    self_check()
    rng = random.Random(COMPACTING_SEED)
    top = min(z for _, z in COMPACTING)
    bottom = max(z for _, z in COMPACTING)
    h = (bottom - top) / COMPACTING_LAYERS
    layers = []
    for i in range(COMPACTING_LAYERS):
        z = top + (i + 0.5) * h
        layers.append((band(COMPACTING, z - h / 2, z + h / 2),
                       COMPACTING_SURFACE * math.exp(-COMPACTING_DECAY * z)))
    stations = [0.1 * i for i in range(401)]
    observed = []
    for s in stations:
        g = sum(polygon_anomaly(poly, rho, s) for poly, rho in layers if poly)
        observed.append(round(g + rng.gauss(0.0, 0.05), 3))
    with open("examples/compacting_basin.dta", "w", encoding="ascii", newline="\n") as f:
        f.write("Compacting basin: Bouguer anomaly, synthetic\n"
                "x along line (km), Bouguer anomaly (mGal)\n"
                "x_km    bouguer_mgal\n")
        for s, g in zip(stations, observed):
            f.write(f"{s:7.3f}  {g:9.3f}\n")
    # The model: the true outline at the contrast of the surface samples.
    values = [1, len(stations), 5, 1, 0, 8, 1, 1, 1]
    for s, g in zip(stations, observed):
        values += [s, g]
    closed = COMPACTING + COMPACTING[:1]
    values += [len(closed), COMPACTING_SURFACE, STRIKE, STRIKE]
    for x, z in closed:
        values += [x, z]
    extras = ["#CORVANE-EXTRAS 1", "invert 1 0 0 0 0", "corner-invert 1 3 0 1",
              "corner-invert 1 4 0 1", "#END"]
    with open("examples/compacting_basin.mod", "wb") as f:
        f.write(b"".join(real48(v) for v in values))
        f.write(("\r\n" + "\r\n".join(extras) + "\r\n").encode("ascii"))
    print(f"examples/compacting_basin.dta and .mod: {len(stations)} stations, "
          f"{min(observed):.2f} to {max(observed):.2f} mGal")


# ---- The gradiometry line: the tensor of the same bodies ----

GRAD_HEIGHT = 0.25      # km above the datum
GRAD_STEP = 0.5         # km between stations
GRAD_AZIMUTH = 75.0     # degrees east of north: the profile's direction
GRAD_NOISE = 3.0        # E
GRAD_SEED = 1978


def cells_of(corners, cell):
    xs = [x for x, _ in corners]
    zs = [z for _, z in corners]
    found = []
    x = min(xs) + cell / 2
    while x < max(xs):
        z = min(zs) + cell / 2
        while z < max(zs):
            if inside(corners, x, z):
                found.append((x, z))
            z += cell
        x += cell
    return found


def end_faces(cells, cell, station, height, y, kernel):
    """The integral over the cross-section of kernel(X, Z, R) / R^3, R the
    distance from the station to a point of the end face at strike y."""
    total = 0.0
    for cx, cz in cells:
        X, Z = cx - station, cz + height
        R = math.sqrt(X * X + Z * Z + y * y)
        total += kernel(X, Z) / R ** 3
    return total * cell * cell


def gravity_gradients(corners, density, station, height=0.0, y1=STRIKE, y2=STRIKE, cell=0.05,
                      step=1e-3):
    """The tensor (E) in the profile frame, in the order xx, xy, xz, yy, yz,
    zz: T_zz and T_xz are central differences of the attraction, T_yy comes
    from the prism's two end faces, T_xx = -(T_yy + T_zz). With equal strike
    lengths T_xy and T_yz are 0. 1 mGal/km = 10 E."""
    assert y1 == y2
    gz = lambda s, h: polygon_anomaly(corners, density, s, y1, y2, height=h)
    tzz = -10 * (gz(station, height + step) - gz(station, height - step)) / (2 * step)
    txz = 10 * (gz(station + step, height) - gz(station - step, height)) / (2 * step)
    cells = cells_of(corners, cell)
    tyy = -10 * G * density * sum(y * end_faces(cells, cell, station, height, y, lambda X, Z: 1.0)
                                  for y in (y1, y2))
    return [-(tyy + tzz), 0.0, txz, tyy, 0.0, tzz]


def to_geographic(t, azimuth):
    """A profile-frame tensor (x along the profile, y to its left, z down) in
    north, east, down: T' = R T R^T, R's columns the profile axes."""
    a = math.radians(azimuth)
    axes = [(math.cos(a), math.sin(a), 0.0), (math.sin(a), -math.cos(a), 0.0), (0.0, 0.0, 1.0)]
    xx, xy, xz, yy, yz, zz = t
    T = [[xx, xy, xz], [xy, yy, yz], [xz, yz, zz]]
    out = [[sum(axes[i][p] * axes[j][q] * T[i][j] for i in range(3) for j in range(3))
            for q in range(3)] for p in range(3)]
    return [out[0][0], out[0][1], out[0][2], out[1][1], out[1][2], out[2][2]]


def gradient_self_check():
    # A very long block: T_zz and T_xz against the two-dimensional kernels
    # 2 G rho (Z^2 - X^2) / r^4 and 4 G rho X Z / r^4 summed over cells.
    block = [(-1.0, 1.0), (1.0, 1.0), (1.0, 2.0), (-1.0, 2.0), (-1.0, 1.0)]
    cells, cell = cells_of(block, 0.01), 0.01
    for s in (0.0, 2.5):
        X = [(cx - s, cz) for cx, cz in cells]
        zz = 20 * G * sum((Z * Z - x * x) / (x * x + Z * Z) ** 2 for x, Z in X) * cell * cell
        xz = 40 * G * sum(x * Z / (x * x + Z * Z) ** 2 for x, Z in X) * cell * cell
        t = gravity_gradients(block, 1.0, s, y1=1e4, y2=1e4)
        assert abs(t[5] - zz) < 1e-3 * abs(zz) and abs(t[2] - xz) < 1e-3 * max(1.0, abs(xz)), (s, t, zz, xz)
    # The end faces' quadrature against the attraction's change with strike:
    # d g_z / d y1 = G rho * integral of Z / R^3 over the face at y1.
    y, h = 8.0, 0.3
    cells = cells_of(block, 0.05)
    want = (polygon_anomaly(block, 1.0, 0.7, y + 1e-3, y, h) - polygon_anomaly(block, 1.0, 0.7, y - 1e-3, y, h)) / 2e-3
    got = G * end_faces(cells, 0.05, 0.7, h, y, lambda X, Z: Z)
    assert abs(got - want) < 1e-3 * abs(want), (got, want)
    # A turn by 90 degrees: the profile points east, its y north.
    t = [1.0, 2.0, 3.0, 4.0, 5.0, -5.0]
    g = to_geographic(t, 90.0)
    assert all(abs(u - v) < 1e-12 for u, v in zip(g, [4.0, 2.0, 5.0, 1.0, 3.0, -5.0])), g


def gradients():
    self_check()
    gradient_self_check()
    rng = random.Random(GRAD_SEED)
    count = int(round((PROFILE_END - PROFILE_START) / GRAD_STEP)) + 1
    names = ("T_NN", "T_NE", "T_ND", "T_EE", "T_ED", "T_DD")
    lines = [
        "Line 7 airborne gravity gradiometry, synthetic: basin and gabbro, profile azimuth N75E",
        f"x along line (km), height above datum (km), {', '.join(names)} (Eotvos, north east down)",
        "x_km  height_km  " + "  ".join(names),
    ]
    rows = []
    for i in range(count):
        s = PROFILE_START + i * GRAD_STEP
        t = [0.0] * 6
        for _, rho, corners in BODIES:
            t = [u + v for u, v in zip(t, gravity_gradients(corners, rho, s, GRAD_HEIGHT))]
        g = [v + rng.gauss(0.0, GRAD_NOISE) for v in to_geographic(t, GRAD_AZIMUTH)]
        rows.append((s, g))
        lines.append(f"{s:6.2f}  {GRAD_HEIGHT:6.3f}  " + "  ".join(f"{v:8.2f}" for v in g))
    out = "examples/field_profile_gradients.txt"
    with open(out, "w", encoding="ascii", newline="\n") as f:
        f.write("\n".join(lines) + "\n")
    print(f"{out}: {count} stations from {PROFILE_START} to {rows[-1][0]} km")

    # The fitted model with the stations, the profile's azimuth, and the
    # basin's density and lower corners chosen for a joint inversion.
    with open("examples/field_profile.mod", "rb") as f:
        records = f.read()
    assert b"#CORVANE-EXTRAS" not in records
    block = ["#CORVANE-EXTRAS 1", f"field 50000 60 0 {GRAD_AZIMUTH:g}", "gradient-frame geographic"]
    block += [f"gradstation {s:g} {GRAD_HEIGHT:g} " + " ".join(f"{v:.2f}" for v in g) for s, g in rows]
    block += ["invert 1 1 0 0 0"] + [f"corner-invert 1 {k} 0 1" for k in range(3, 8)]
    block += ["fit-data 1 0 0.12 1", f"fit-gradient xz {GRAD_NOISE:g} 0", f"fit-gradient zz {GRAD_NOISE:g} 0",
              "display gradient-panel 1", "display gradient-components xz,zz", "#END"]
    path = "examples/field_profile_gradients.mod"
    with open(path, "wb") as f:
        f.write(records + ("\r\n" + "\r\n".join(block) + "\r\n").encode("ascii"))
    print(f"{path}: examples/field_profile.mod with the gradient stations")


def main():
    if sys.argv[1:] == ["--gradients"]:
        gradients()
        return
    if sys.argv[1:] == ["--basement"]:
        basement()
        return
    if sys.argv[1:] == ["--compacting"]:
        compacting()
        return
    if sys.argv[1:] == ["--grids"]:
        import example_grids   # beside this script
        example_grids.grids(sys.modules[__name__])
        return
    self_check()
    out = sys.argv[1] if len(sys.argv) > 1 else "examples/field_profile.dta"
    rng = random.Random(SEED)

    # Stations along a road: roughly even spacing with some jitter.
    stations = []
    x = PROFILE_START
    while x <= PROFILE_END + 1e-9:
        stations.append(round(x, 3))
        x += MEAN_SPACING * rng.uniform(0.6, 1.4)

    lines = [
        "Line 7 Bouguer anomaly (2.67 g/cm3), synthetic: basin and gabbro",
        "x along line (km), Bouguer anomaly (mGal), station elevation (m), station no.",
        "x_km      bouguer_mgal  elev_m  stn",
    ]
    for number, s in enumerate(stations, start=1):
        g = REGIONAL_AT_0 + REGIONAL_GRADIENT * s
        g += sum(polygon_anomaly(corners, rho, s) for _, rho, corners in BODIES)
        g += rng.gauss(0.0, NOISE)
        # Elevation: a gentle valley over the basin with small relief.
        elev = 180 + 60 * math.cos(2 * math.pi * s / 48) + rng.uniform(-8, 8)
        lines.append(f"{s:8.3f}  {g:10.3f}  {elev:6.1f}  {number:4d}")
    for line in lines[3:]:
        assert len(line) <= 80
    with open(out, "w", encoding="ascii", newline="\n") as f:
        f.write("\n".join(lines) + "\n")
    print(f"{out}: {len(stations)} stations from {stations[0]} to {stations[-1]} km")

    # The same stations on a smooth topography: a ridge over the gabbro and a
    # lower plain over the basin, heights in km like the positions.
    heights_out = sys.argv[2] if len(sys.argv) > 2 else "examples/field_profile_heights.dta"
    rng = random.Random(SEED + 1)
    lines = [
        "Line 7 Bouguer anomaly (2.67 g/cm3), synthetic: basin and gabbro, stations on the topography",
        "x along line (km), Bouguer anomaly (mGal), station height above datum (km), station no.",
        "x_km      bouguer_mgal  height_km  stn",
    ]
    for number, s in enumerate(stations, start=1):
        h = topography(s)
        g = REGIONAL_AT_0 + REGIONAL_GRADIENT * s
        g += sum(polygon_anomaly(corners, rho, s, height=h) for _, rho, corners in BODIES)
        g += rng.gauss(0.0, NOISE)
        lines.append(f"{s:8.3f}  {g:10.3f}  {h:9.4f}  {number:4d}")
    for line in lines[3:]:
        assert len(line) <= 80
    with open(heights_out, "w", encoding="ascii", newline="\n") as f:
        f.write("\n".join(lines) + "\n")
    print(f"{heights_out}: heights from {min(map(topography, stations)):.3f} "
          f"to {max(map(topography, stations)):.3f} km")

    if len(sys.argv) <= 1:
        seismic("examples/field_profile_section.sgy")
        hypocentres("examples/hypocentres.txt")
        overlays_model("examples/field_profile.mod", "examples/field_profile_overlays.mod")


# The seismic section: traces every 200 m, samples every 40 m down to 12 km.
SEIS_TRACE_STEP = 0.2      # km
SEIS_SAMPLE_STEP = 0.04    # km
SEIS_SAMPLES = 301
SEIS_EASTING = 512000.0    # m, the CDP x of the profile's x = 0
WAVELENGTH = 0.25          # km, the Ricker wavelet's dominant wavelength in depth


def crossings(corners, x):
    """Depths where the vertical line at x crosses the closed polygon's edges."""
    out = []
    for (xa, za), (xb, zb) in zip(corners, corners[1:] + corners[:1]):
        if xa != xb and min(xa, xb) <= x < max(xa, xb):
            out.append(za + (zb - za) * (x - xa) / (xb - xa))
    return sorted(out)


def reflectivity(x):
    """(depth km, reflection coefficient) of the trace at x: the bodies' edges
    (signed by the density step going down), three layers in the basin fill
    following its floor, and a flat lower-crustal reflector."""
    spikes = []
    for _, rho, corners in BODIES:
        for i, z in enumerate(crossings(corners, x)):
            if z > 0.2:   # not the basin's top at the surface
                spikes.append((z, (rho if i % 2 == 0 else -rho) * 0.6))
    basin = crossings(BODIES[0][2], x)
    if len(basin) == 2:
        top, floor = basin
        for k, r in ((0.25, 0.05), (0.5, -0.06), (0.75, 0.05)):
            spikes.append((top + k * (floor - top), r))
    spikes.append((10.5, 0.08))
    return spikes


def ricker(d):
    a = (math.pi * d / WAVELENGTH) ** 2
    return (1 - 2 * a) * math.exp(-a)


def seismic(path):
    rng = random.Random(SEED + 2)
    count = int(round((PROFILE_END - PROFILE_START) / SEIS_TRACE_STEP)) + 1
    text = [f"C{n:2d} " for n in range(1, 41)]
    text[0] += "CORVANE EXAMPLE: SYNTHETIC DEPTH SECTION OVER FIELD_PROFILE (LINE 7)"
    text[1] += "SAMPLES IN DEPTH, 40 M APART FROM 0 M; TRACES EVERY 200 M"
    text[2] += "CDP X: EASTING IN M, SCALAR -10; X = 0 OF THE PROFILE AT 512000 M"
    text[3] += "MADE BY SCRIPTS/MAKE-EXAMPLE.PY"
    head = "".join(line.ljust(80)[:80] for line in text).encode("ascii")
    binary = bytearray(400)
    struct.pack_into(">iii", binary, 0, 1, 7, 1)                    # job, line, reel
    struct.pack_into(">hh", binary, 12, 1, 0)                       # traces per ensemble, aux
    struct.pack_into(">hhhhh", binary, 16, 40, 0, SEIS_SAMPLES, 0, 5)   # interval (m), samples, IEEE
    struct.pack_into(">h", binary, 54, 1)                           # metres
    struct.pack_into(">hhh", binary, 300, 0x0100, 1, 0)             # revision 1, fixed length
    out = bytearray(head + bytes(binary))
    for t in range(count):
        x = PROFILE_START + t * SEIS_TRACE_STEP
        trace = [0.0] * SEIS_SAMPLES
        for z, r in reflectivity(x):
            centre = z / SEIS_SAMPLE_STEP
            for k in range(max(0, int(centre) - 12), min(SEIS_SAMPLES, int(centre) + 13)):
                trace[k] += r * ricker((k - centre) * SEIS_SAMPLE_STEP)
        trace = [v + rng.gauss(0.0, 0.004) for v in trace]
        header = bytearray(240)
        struct.pack_into(">iiii", header, 0, t + 1, t + 1, 1, t + 1)   # line and file sequence, field record, trace
        struct.pack_into(">i", header, 20, t + 1)                      # CDP
        struct.pack_into(">h", header, 70, -10)                        # coordinate scalar
        cdp_x = int(round((SEIS_EASTING + 1000 * x) * 10))
        struct.pack_into(">ii", header, 72, cdp_x, 0)                  # source x, y
        struct.pack_into(">ii", header, 80, cdp_x, 0)                  # group x, y
        struct.pack_into(">h", header, 88, 1)                          # coordinate units: length
        struct.pack_into(">hh", header, 114, SEIS_SAMPLES, 40)         # samples, interval
        struct.pack_into(">ii", header, 180, cdp_x, 0)                 # CDP x, y
        out += header + struct.pack(f">{SEIS_SAMPLES}f", *trace)
    with open(path, "wb") as f:
        f.write(out)
    print(f"{path}: {count} traces of {SEIS_SAMPLES} samples, {len(out)} bytes")


def hypocentres(path):
    """Small earthquakes on the western boundary fault of the half-graben,
    which dips east under the basin from its deepest point near x = 12 km."""
    rng = random.Random(SEED + 3)
    lines = ["x_km  depth_km  label"]
    for n in range(24):
        depth = rng.uniform(3.5, 11.5)
        x = 11.0 + 0.45 * (depth - 3.5) + rng.gauss(0.0, 0.25)
        magnitude = 0.8 + rng.expovariate(1.6)
        label = f"M{magnitude:.1f}" if magnitude >= 1.5 else ""
        lines.append(f"{x:6.2f}  {depth:6.2f}  {label}".rstrip())
    with open(path, "w", encoding="ascii", newline="\n") as f:
        f.write("\n".join(lines) + "\n")
    print(f"{path}: {len(lines) - 1} hypocentres")


def overlays_model(model, path):
    """The fitted model with the hypocentres and the section beneath it, as
    the program saves it beside its files (paths relative to the model)."""
    with open(model, "rb") as f:
        records = f.read()
    assert b"#CORVANE-EXTRAS" not in records
    right = PROFILE_START + (int(round((PROFILE_END - PROFILE_START) / SEIS_TRACE_STEP))) * SEIS_TRACE_STEP
    bottom = (SEIS_SAMPLES - 1) * SEIS_SAMPLE_STEP
    block = ["#CORVANE-EXTRAS 1",
             'points "hypocentres.txt" circle d00000 shown',
             f'backdrop "field_profile_section.sgy" 0 {right:g} 0 {bottom:g} 60 98 grey cdp',
             "#END"]
    with open(path, "wb") as f:
        f.write(records + ("\r\n" + "\r\n".join(block) + "\r\n").encode("ascii"))
    print(f"{path}: {model} with the section and the hypocentres")


def topography(s):
    """Station height above the datum (km) at position s: a plain at 0.15 km
    rising to a ridge 0.65 km high near x = 37 km."""
    return 0.15 + 0.5 * math.exp(-((s - 37.0) / 6.0) ** 2) + 0.05 * math.sin(2 * math.pi * s / 16.0)


if __name__ == "__main__":
    main()
