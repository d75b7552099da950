#!/usr/bin/env python3
"""Writes the seeds that tests/data and examples do not hold: Sidero models
(six-byte reals) for the import target. Run from the top of the repository."""
import math, os, struct

def real48(x):
    if x == 0:
        return bytes(6)
    m, p = math.frexp(abs(x))
    e = p - 1 + 129
    f = round((2 * m - 1) * 2**39)
    if f == 2**39:
        f, e = 0, e + 1
    field = f | ((1 << 39) if x < 0 else 0)
    return bytes([e]) + field.to_bytes(5, "little")

def sidero(unit, stations, bodies, top=0.0, bottom=10.0):
    b = real48(len(bodies)) + real48(len(stations))
    b += b"".join(real48(1000 + i) for i in range(3, 10))
    b += real48(top) + real48(bottom) + real48(-7) + real48(unit)
    for x, v in stations:
        b += real48(x) + real48(v)
    for corners, prop, strike in bodies:
        closed = corners + [corners[0]]
        b += real48(len(closed)) + real48(prop) + real48(strike) + real48(0.01) + real48(45) + real48(-3)
        for x, z in closed:
            b += real48(x) + real48(z)
    return b

os.makedirs("fuzz/seeds/sidero", exist_ok=True)
sq = [(4, 1), (6, 1), (6, 2), (4, 2)]
tri = [(1, 0.5), (3, 0.5), (2, 4)]
st = [(i * 1.0, 50000 + i) for i in range(11)]
with open("fuzz/seeds/sidero/two_bodies_km", "wb") as f:
    f.write(sidero(1, st, [(sq, 0.02, 2000), (tri, -0.01, 500)]))
with open("fuzz/seeds/sidero/one_body_metres", "wb") as f:
    f.write(sidero(0, st, [(sq, 0.02, 2000)]))
