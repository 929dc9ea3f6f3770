"""Affine transform arithmetic with Maya's conventions.

Row vectors: a point p maps to p * M + t. An affine transform is a pair (M, t) where M is a 3x3
matrix stored row-major as a 9-tuple and t a 3-tuple. A transform node's local transform is
S * R * T (pivots and shear are not modelled), with R = Ra * Rb * Rc for rotation order abc
(Rx * Ry * Rz for XYZ), and its world transform is local * parent world. Angles are in degrees.

Rotation orders are numbered as the host's rotateOrder attribute numbers them (xyz 0, yzx 1,
zxy 2, xzy 3, yxz 4, zyx 5): the rotation is applied axis by axis in that order, and a world
rotation is decomposed back into the same order ("the rotation is applied according to the
rotation order parameter", xform command reference,
https://help.autodesk.com/cloudhelp/2022/JPN/Maya-Tech-Docs/CommandsPython/xform.html).
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


# The axes of each rotation order, in the order they are applied.
ROTATE_ORDERS = ((0, 1, 2), (1, 2, 0), (2, 0, 1), (0, 2, 1), (1, 0, 2), (2, 1, 0))


def _axis_rotation(axis, degrees):
    """The row-vector rotation about one axis."""
    a = degrees * _TO_RAD
    c, s = math.cos(a), math.sin(a)
    if axis == 0:
        return (1.0, 0.0, 0.0, 0.0, c, s, 0.0, -s, c)
    if axis == 1:
        return (c, 0.0, -s, 0.0, 1.0, 0.0, s, 0.0, c)
    return (c, s, 0.0, -s, c, 0.0, 0.0, 0.0, 1.0)


def rotation(rx, ry, rz, order=0):
    """The row-vector rotation of rotate channels (degrees) applied in rotation order `order`."""
    if order == 0:
        return rotation_xyz(rx, ry, rz)
    angles = (rx, ry, rz)
    first, middle, last = ROTATE_ORDERS[order]
    return multiply3(multiply3(_axis_rotation(first, angles[first]),
                               _axis_rotation(middle, angles[middle])),
                     _axis_rotation(last, angles[last]))


def local_transform(translate, rotate, scale, order=0):
    """S * R * T: the rows of R scaled by the scale factors, then the translation."""
    rx, ry, rz = rotate
    r = rotation(rx, ry, rz, order) if (rx or ry or rz) else IDENTITY[0]
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


def euler(r, order=0):
    """Rotate channels (degrees) of an orthonormal row-vector rotation in rotation order `order`,
    the middle angle within +-90; in gimbal lock the first axis takes the whole turn."""
    if order == 0:
        return euler_xyz(r)
    first, middle, last = ROTATE_ORDERS[order]
    # As column vectors the rotation is C(last) * C(middle) * C(first); m[a][b] reads it.
    p, q, k = last, middle, first

    def m(a, b):
        return r[3 * b + a]

    s = 1.0 if (p, q, k) in ((0, 1, 2), (1, 2, 0), (2, 0, 1)) else -1.0
    sin_middle = max(-1.0, min(1.0, s * m(p, k)))
    angles = [0.0, 0.0, 0.0]
    angles[q] = math.asin(sin_middle)
    if math.hypot(m(p, p), m(p, q)) > 1e-9:
        angles[last] = math.atan2(-s * m(q, k), m(k, k))
        angles[first] = math.atan2(-s * m(p, q), m(p, p))
    else:  # gimbal lock: only the sum or difference of the outer angles is defined
        angles[last] = 0.0
        angles[first] = math.atan2(s * m(q, p), m(q, q))
    return tuple(angle * _TO_DEG for angle in angles)


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


def decompose(affine, order=0):
    """(translate, rotate in degrees for rotation order `order`, scale) of an affine transform;
    shear is dropped."""
    m, t = affine
    scale, rows = split_scale(m)
    return t, euler(rows, order), scale


def as_matrix16(affine):
    m, t = affine
    return [m[0], m[1], m[2], 0.0, m[3], m[4], m[5], 0.0, m[6], m[7], m[8], 0.0,
            t[0], t[1], t[2], 1.0]
