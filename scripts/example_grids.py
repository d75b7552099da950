"""The example grids over the field profile, for `make-example.py --grids`:
a Bouguer gravity grid, a total-field magnetic grid and a terrain model in
UTM zone 33N (EPSG:32633), as ESRI ASCII grids with a .prj beside each.

The bodies of the field profile's true model run along strike over finite
lengths, so the grids are those of three-dimensional bodies: at a node offset
y from the line (positive to the left, looking along the line) a body that
runs y1 to the left and y2 to the right is the two-and-a-half-dimensional
body with strike lengths y1 - y and y2 + y. A node beyond a strike end gets a
negative length on that side, and both calculations take it as such (the
integral along strike from 0 to a negative end). The gravity is that of the
field profile's data, at the datum: on the line it agrees with
field_profile.dta to within the noise. Plain Python: the grids take about a
minute.
"""
import math
import random

# The profile on the map: 48 km at a grid bearing of atan(4/3) (53.13
# degrees), so the ends fall on whole metres.
E1, N1 = 342000.0, 5638000.0
E2, N2 = E1 + 38400.0, N1 + 28800.0
EPSG = 32633
CELL = 250.0                                   # m
WEST, SOUTH, COLUMNS, ROWS = 328000.0, 5620000.0, 266, 260
LINE_LENGTH = 48.0                             # km

# Strike lengths (km, left = north-west of the line, right = south-east):
# the basin closes 26 km to the north-west, the gabbro ends 30 km to the
# south-east; on the other sides they run 100 km as a drawn body does. On
# the line they differ by at most 0.08 mGal from field_profile.dta's bodies.
STRIKES = [(26.0, 100.0), (100.0, 30.0)]
GABBRO_SUSCEPTIBILITY = 0.04                   # SI, induced only
# The Earth's field there (51 N, 13 E): total field, inclination, declination.
EARTH_FIELD = (49200.0, 66.5, 4.5)
GRAVITY_NOISE, MAGNETIC_NOISE = 0.12, 1.0      # mGal, nT
GRIDS_SEED = 4033

WKT = ('PROJCS["WGS 84 / UTM zone 33N",GEOGCS["WGS 84",DATUM["WGS_1984",'
       'SPHEROID["WGS 84",6378137,298.257223563,AUTHORITY["EPSG","7030"]],AUTHORITY["EPSG","6326"]],'
       'PRIMEM["Greenwich",0,AUTHORITY["EPSG","8901"]],'
       'UNIT["degree",0.0174532925199433,AUTHORITY["EPSG","9122"]],AUTHORITY["EPSG","4326"]],'
       'PROJECTION["Transverse_Mercator"],PARAMETER["latitude_of_origin",0],'
       'PARAMETER["central_meridian",15],PARAMETER["scale_factor",0.9996],'
       'PARAMETER["false_easting",500000],PARAMETER["false_northing",0],'
       'UNIT["metre",1,AUTHORITY["EPSG","9001"]],AXIS["Easting",EAST],AXIS["Northing",NORTH],'
       'AUTHORITY["EPSG","32633"]]')


def utm33(lat, lon):
    """Easting and northing (m) of WGS 84 latitude and longitude (degrees) in
    UTM zone 33N: the transverse Mercator projection by Krueger's series in
    n to the third order (well under a millimetre within the zone)."""
    a, f = 6378137.0, 1 / 298.257223563
    n = f / (2 - f)
    A = a / (1 + n) * (1 + n * n / 4 + n ** 4 / 64)
    alpha = (n / 2 - 2 * n * n / 3 + 5 * n ** 3 / 16, 13 * n * n / 48 - 3 * n ** 3 / 5, 61 * n ** 3 / 240)
    phi, dl = math.radians(lat), math.radians(lon - 15.0)
    e = 2 * math.sqrt(n) / (1 + n)
    t = math.sinh(math.atanh(math.sin(phi)) - e * math.atanh(e * math.sin(phi)))
    xi = math.atan2(t, math.cos(dl))
    eta = math.atanh(math.sin(dl) / math.sqrt(1 + t * t))
    E = eta + sum(al * math.cos(2 * j * xi) * math.sinh(2 * j * eta) for j, al in enumerate(alpha, 1))
    N = xi + sum(al * math.sin(2 * j * xi) * math.cosh(2 * j * eta) for j, al in enumerate(alpha, 1))
    return 500000.0 + 0.9996 * A * E, 0.9996 * A * N


def geographic(E, N):
    """Latitude and longitude of a UTM 33N point, by Newton's method on utm33."""
    lat, lon = N / 111200.0, 15.0 + (E - 500000.0) / 70000.0
    for _ in range(20):
        e0, n0 = utm33(lat, lon)
        h = 1e-6
        ea, na = utm33(lat + h, lon)
        eb, nb = utm33(lat, lon + h)
        j11, j12, j21, j22 = (ea - e0) / h, (eb - e0) / h, (na - n0) / h, (nb - n0) / h
        det = j11 * j22 - j12 * j21
        dE, dN = E - e0, N - n0
        lat += (j22 * dE - j12 * dN) / det
        lon += (-j21 * dE + j11 * dN) / det
    return lat, lon


def profile_azimuth():
    """Grid bearing of the line, the grid convergence at its midpoint (grid
    north's bearing from true north, from a short step along the meridian)
    and the profile azimuth from true north that the magnetic calculation
    takes, in degrees."""
    bearing = math.degrees(math.atan2(E2 - E1, N2 - N1))
    lat, lon = geographic((E1 + E2) / 2, (N1 + N2) / 2)
    es, ns = utm33(lat - 1e-5, lon)
    en, nn = utm33(lat + 1e-5, lon)
    convergence = -math.degrees(math.atan2(en - es, nn - ns))
    return bearing, convergence, (bearing + convergence) % 360


def along_and_offset(E, N):
    """Position along the line and offset to its left, in km."""
    ux, uy = (E2 - E1) / 1000 / LINE_LENGTH, (N2 - N1) / 1000 / LINE_LENGTH
    dE, dN = (E - E1) / 1000, (N - N1) / 1000
    return dE * ux + dN * uy, -dE * uy + dN * ux


def quadrature_points(corners, size):
    """Points and weights (x, z, area) covering a convex polygon (closed or
    not): a fan of triangles, each cut into similar triangles no longer than
    `size` on a side, with the three-point rule of degree 2 on each."""
    if corners[0] == corners[-1]:
        corners = corners[:-1]
    out = []
    x0, z0 = corners[0]
    for (xa, za), (xb, zb) in zip(corners[1:], corners[2:]):
        longest = max(math.hypot(xa - x0, za - z0), math.hypot(xb - xa, zb - za), math.hypot(xb - x0, zb - z0))
        k = max(1, math.ceil(longest / size))
        ux, uz = (xa - x0) / k, (za - z0) / k
        vx, vz = (xb - x0) / k, (zb - z0) / k
        area = abs(ux * vz - uz * vx) / 2
        for i in range(k):
            for j in range(k - i):
                # The upright small triangle and, where there is one, the inverted one.
                tris = [((i, j), (i + 1, j), (i, j + 1))]
                if i + j < k - 1:
                    tris.append(((i + 1, j), (i + 1, j + 1), (i, j + 1)))
                for p, q, r in tris:
                    for wa, wb, wc in ((2 / 3, 1 / 6, 1 / 6), (1 / 6, 2 / 3, 1 / 6), (1 / 6, 1 / 6, 2 / 3)):
                        a = wa * p[0] + wb * q[0] + wc * r[0]
                        b = wa * p[1] + wb * q[1] + wc * r[1]
                        out.append((x0 + a * ux + b * vx, z0 + a * uz + b * vz, area / 3))
    return out


def magnetic_at(points, M, f, x, y1, y2, line_field):
    """Total-field anomaly (nT) at position x on the datum of the body whose
    cross-section the quadrature points cover, from y2 right to y1 left."""
    B = [0.0, 0.0, 0.0]
    for cx, cz, w in points:
        b = line_field(x - cx, -cz, M, -y2, y1)
        B[0] += b[0] * w
        B[1] += b[1] * w
        B[2] += b[2] * w
    return B[0] * f[0] + B[1] * f[1] + B[2] * f[2]


def grids_self_check(ex):
    # The 3-D shift: a block 2 km wide, 1 to 2 km deep, from 3 km right of
    # the line to 5 km left of it, against a plain sum of point masses, at
    # nodes on the line, to either side and beyond both strike ends.
    block = [(-1.0, 1.0), (1.0, 1.0), (1.0, 2.0), (-1.0, 2.0)]
    nodes = 40
    for s, y in ((0.5, 0.0), (1.5, 2.0), (-0.7, 7.5), (0.0, -6.0), (2.0, 5.0)):
        plain = 0.0
        hx, hz, hy = 2.0 / nodes, 1.0 / nodes, 8.0 / (4 * nodes)
        for i in range(nodes):
            px = -1.0 + (i + 0.5) * hx - s
            for k in range(nodes):
                pz = 1.0 + (k + 0.5) * hz
                for j in range(4 * nodes):
                    py = -3.0 + (j + 0.5) * hy - y
                    plain += pz / (px * px + py * py + pz * pz) ** 1.5
        plain *= ex.G * hx * hy * hz
        got = ex.polygon_anomaly(block, 1.0, s, 5.0 - y, 3.0 + y)
        assert abs(got - plain) < 2e-3 * abs(plain), (s, y, got, plain)
    # The quadrature of the cross-section against the fine cells of the
    # profile calculation, with unequal strike lengths and a node beyond an end.
    gabbro = ex.BODIES[1][2]
    F, I, D = EARTH_FIELD
    saved, ex.FIELD = ex.FIELD, (F, I, D, 37.0)
    f = ex.direction(I, D, 37.0)
    M = [GABBRO_SUSCEPTIBILITY * F / (4 * math.pi) * c for c in f]
    points = quadrature_points(gabbro, 2.0)
    for s, y1, y2 in ((36.0, 30.0, 12.0), (30.0, -4.0, 20.0), (41.0, 100.0, -3.0)):
        cells = ex.magnetic_anomaly(gabbro + gabbro[:1], GABBRO_SUSCEPTIBILITY, [s], y1=y1, y2=y2, cell=0.05)[0]
        got = magnetic_at(points, M, f, s, y1, y2, ex.line_field)
        assert abs(got - cells) < 0.01 * abs(cells) + 0.2, (s, y1, y2, got, cells)
    ex.FIELD = saved
    # The projection against PROJ's for 51 N 13 E (gdaltransform to EPSG:32633).
    E, N = utm33(51.0, 13.0)
    assert abs(E - 359666.704) < 0.02 and abs(N - 5651728.683) < 0.02, (E, N)
    lat, lon = geographic(E, N)
    assert abs(lat - 51.0) < 1e-9 and abs(lon - 13.0) < 1e-9, (lat, lon)


def terrain(x, y):
    """Ground height (m) at x along the line and y to its left (km): the
    field profile's topography on the line, the ridge over the gabbro dying
    out along strike."""
    ridge = math.exp(-((x - 37.0) / 6.0) ** 2) * math.exp(-(max(0.0, -y - 4.0) / 10.0) ** 2)
    ripple = math.sin(2 * math.pi * x / 16.0) * math.cos(2 * math.pi * y / 23.0)
    return 1000 * (0.15 + 0.5 * ridge + 0.05 * ripple)


def write_grid(path, values, decimals, title):
    """An ESRI ASCII grid (rows from north to south) and its .prj."""
    lines = [f"ncols        {COLUMNS}", f"nrows        {ROWS}", f"xllcorner    {WEST:.1f}",
             f"yllcorner    {SOUTH:.1f}", f"cellsize     {CELL:.1f}"]
    for row in range(ROWS - 1, -1, -1):
        lines.append(" ".join(f"{v:.{decimals}f}" for v in values[row * COLUMNS:(row + 1) * COLUMNS]))
    with open(path, "w", encoding="ascii", newline="\n") as f:
        f.write("\n".join(lines) + "\n")
    with open(path[:-4] + ".prj", "w", encoding="ascii", newline="\n") as f:
        f.write(WKT + "\n")
    print(f"{path}: {title}, {COLUMNS} x {ROWS} nodes, {min(values):.1f} to {max(values):.1f}")


def grids(ex):
    ex.self_check()
    ex.magnetic_self_check()
    grids_self_check(ex)
    bearing, convergence, azimuth = profile_azimuth()
    F, I, D = EARTH_FIELD
    f = ex.direction(I, D, azimuth)
    M = [GABBRO_SUSCEPTIBILITY * F / (4 * math.pi) * c for c in f]
    points = quadrature_points(ex.BODIES[1][2], 2.0)
    rng = random.Random(GRIDS_SEED)
    gravity, magnetic, heights = [], [], []
    for row in range(ROWS):
        N = SOUTH + (row + 0.5) * CELL
        for col in range(COLUMNS):
            E = WEST + (col + 0.5) * CELL
            x, y = along_and_offset(E, N)
            g = ex.REGIONAL_AT_0 + ex.REGIONAL_GRADIENT * x
            for (_, rho, corners), (y1, y2) in zip(ex.BODIES, STRIKES):
                g += ex.polygon_anomaly(corners, rho, x, y1 - y, y2 + y)
            y1, y2 = STRIKES[1]
            t = magnetic_at(points, M, f, x, y1 - y, y2 + y, ex.line_field)
            gravity.append(g + rng.gauss(0.0, GRAVITY_NOISE))
            magnetic.append(t + rng.gauss(0.0, MAGNETIC_NOISE))
            heights.append(terrain(x, y))
    write_grid("examples/field_gravity.asc", gravity, 3, "Bouguer anomaly (mGal)")
    write_grid("examples/field_magnetic.asc", magnetic, 1, "total-field anomaly (nT)")
    write_grid("examples/field_terrain.asc", heights, 1, "ground height (m)")
    print(f"line {E1:.0f},{N1:.0f},{E2:.0f},{N2:.0f}: grid bearing {bearing:.4f}, "
          f"convergence {convergence:.4f}, azimuth {azimuth:.4f} degrees")
