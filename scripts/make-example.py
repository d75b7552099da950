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
"""
import math
import random
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


def main():
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


def topography(s):
    """Station height above the datum (km) at position s: a plain at 0.15 km
    rising to a ridge 0.65 km high near x = 37 km."""
    return 0.15 + 0.5 * math.exp(-((s - 37.0) / 6.0) ** 2) + 0.05 * math.sin(2 * math.pi * s / 16.0)


if __name__ == "__main__":
    main()
