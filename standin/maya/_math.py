"""Affine transform arithmetic with Maya's conventions.

Row vectors: a point p maps to p * M + t. An affine transform is a pair (M, t) where M is a 3x3
matrix stored row-major as a 9-tuple and t a 3-tuple. A transform node's local transform is
S * R * T (pivots and shear are not modelled), with R = Rx * Ry * Rz for rotation order XYZ,
and its world transform is local * parent world. Angles are in degrees.
"""
from __future__ import absolute_import, division

import math

_TO_RAD = math.pi / 180.0
_TO_DEG = 180.0 / math.pi

IDENTITY = ((1.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 1.0), (0.0, 0.0, 0.0))


def rotation_xyz(rx, ry, rz):
    """Rx * Ry * Rz in row-vector form, from degrees."""
    x, y, z = rx * _TO_RAD, ry * _TO_RAD, rz * _TO_RAD
    cx, sx = math.cos(x), math.sin(x)
    cy, sy = math.cos(y), math.sin(y)
    cz, sz = math.cos(z), math.sin(z)
    return (cy * cz, cy * sz, -sy,
            sx * sy * cz - cx * sz, sx * sy * sz + cx * cz, sx * cy,
            cx * sy * cz + sx * sz, cx * sy * sz - sx * cz, cx * cy)


def local_transform(translate, rotate, scale):
    """S * R * T: the rows of R scaled by the scale factors, then the translation."""
    rx, ry, rz = rotate
    r = rotation_xyz(rx, ry, rz) if (rx or ry or rz) else IDENTITY[0]
    sx, sy, sz = scale
    m = (r[0] * sx, r[1] * sx, r[2] * sx,
         r[3] * sy, r[4] * sy, r[5] * sy,
         r[6] * sz, r[7] * sz, r[8] * sz)
    return m, (float(translate[0]), float(translate[1]), float(translate[2]))


def multiply3(a, b):
    return (a[0] * b[0] + a[1] * b[3] + a[2] * b[6],
            a[0] * b[1] + a[1] * b[4] + a[2] * b[7],
            a[0] * b[2] + a[1] * b[5] + a[2] * b[8],
            a[3] * b[0] + a[4] * b[3] + a[5] * b[6],
            a[3] * b[1] + a[4] * b[4] + a[5] * b[7],
            a[3] * b[2] + a[4] * b[5] + a[5] * b[8],
            a[6] * b[0] + a[7] * b[3] + a[8] * b[6],
            a[6] * b[1] + a[7] * b[4] + a[8] * b[7],
            a[6] * b[2] + a[7] * b[5] + a[8] * b[8])


def transform_point(p, affine):
    m, t = affine
    return (p[0] * m[0] + p[1] * m[3] + p[2] * m[6] + t[0],
            p[0] * m[1] + p[1] * m[4] + p[2] * m[7] + t[1],
            p[0] * m[2] + p[1] * m[5] + p[2] * m[8] + t[2])


def compose(first, then):
    """The transform that applies `first` and then `then` (first * then)."""
    return multiply3(first[0], then[0]), transform_point(first[1], then)


def invert(affine):
    m, t = affine
    a, b, c, d, e, f, g, h, i = m
    co00, co01, co02 = e * i - f * h, f * g - d * i, d * h - e * g
    det = a * co00 + b * co01 + c * co02
    if abs(det) < 1e-300:
        raise ZeroDivisionError("transform is singular (a zero scale?)")
    inv = (co00 / det, (c * h - b * i) / det, (b * f - c * e) / det,
           co01 / det, (a * i - c * g) / det, (c * d - a * f) / det,
           co02 / det, (b * g - a * h) / det, (a * e - b * d) / det)
    tx, ty, tz = t
    return inv, (-(tx * inv[0] + ty * inv[3] + tz * inv[6]),
                 -(tx * inv[1] + ty * inv[4] + tz * inv[7]),
                 -(tx * inv[2] + ty * inv[5] + tz * inv[8]))


def euler_xyz(r):
    """XYZ Euler angles in degrees of an orthonormal row-vector rotation (y within +-90)."""
    sy = -r[2]
    if sy > 1.0:
        sy = 1.0
    elif sy < -1.0:
        sy = -1.0
    y = math.asin(sy)
    if math.sqrt(r[0] * r[0] + r[1] * r[1]) > 1e-9:
        x = math.atan2(r[5], r[8])
        z = math.atan2(r[1], r[0])
    else:  # gimbal lock: only x +- z is defined, so put it all on x
        x = math.atan2(sy * r[3], r[4])
        z = 0.0
    return x * _TO_DEG, y * _TO_DEG, z * _TO_DEG


def split_scale(m):
    """(scale, rotation): row lengths as scale (a mirror goes on X) and the normalised rows."""
    lengths = [math.sqrt(m[k] * m[k] + m[k + 1] * m[k + 1] + m[k + 2] * m[k + 2])
               for k in (0, 3, 6)]
    det = (m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6])
           + m[2] * (m[3] * m[7] - m[4] * m[6]))
    if det < 0.0:
        lengths[0] = -lengths[0]
    rows = []
    for k, length in zip((0, 3, 6), lengths):
        d = length if length != 0.0 else 1.0
        rows.extend((m[k] / d, m[k + 1] / d, m[k + 2] / d))
    return tuple(lengths), tuple(rows)


def decompose(affine):
    """(translate, rotate in degrees, scale) of an affine transform; shear is dropped."""
    m, t = affine
    scale, rotation = split_scale(m)
    return t, euler_xyz(rotation), scale


def as_matrix16(affine):
    m, t = affine
    return [m[0], m[1], m[2], 0.0, m[3], m[4], m[5], 0.0, m[6], m[7], m[8], 0.0,
            t[0], t[1], t[2], 1.0]
