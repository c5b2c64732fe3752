#include "toolkit/GLVectorGeometry.h"

#include <cmath>

namespace toolkit {

namespace {
constexpr float kPi = 3.14159265358979323846f;
}

float Dot(TVector3 a, TVector3 b) { return a.X * b.X + a.Y * b.Y + a.Z * b.Z; }

TVector3 Cross(TVector3 a, TVector3 b) {
    return {a.Y * b.Z - a.Z * b.Y, a.Z * b.X - a.X * b.Z, a.X * b.Y - a.Y * b.X};
}

float Length(TVector3 v) { return std::sqrt(Dot(v, v)); }

TVector3 Normalized(TVector3 v) {
    const float l = Length(v);
    return l > 0 ? v * (1.0f / l) : v;
}

TMatrix4 TMatrix4::Translation(TVector3 t) {
    TMatrix4 m;
    m.At(0, 3) = t.X;
    m.At(1, 3) = t.Y;
    m.At(2, 3) = t.Z;
    return m;
}

TMatrix4 TMatrix4::Scaling(TVector3 s) {
    TMatrix4 m;
    m.At(0, 0) = s.X;
    m.At(1, 1) = s.Y;
    m.At(2, 2) = s.Z;
    return m;
}

TMatrix4 TMatrix4::Rotation(TVector3 axis, float degrees) {
    const TVector3 a = Normalized(axis);
    const float r = degrees * kPi / 180.0f;
    const float c = std::cos(r), s = std::sin(r), t = 1 - c;
    TMatrix4 m;
    m.At(0, 0) = t * a.X * a.X + c;
    m.At(0, 1) = t * a.X * a.Y - s * a.Z;
    m.At(0, 2) = t * a.X * a.Z + s * a.Y;
    m.At(1, 0) = t * a.X * a.Y + s * a.Z;
    m.At(1, 1) = t * a.Y * a.Y + c;
    m.At(1, 2) = t * a.Y * a.Z - s * a.X;
    m.At(2, 0) = t * a.X * a.Z - s * a.Y;
    m.At(2, 1) = t * a.Y * a.Z + s * a.X;
    m.At(2, 2) = t * a.Z * a.Z + c;
    return m;
}

TMatrix4 TMatrix4::Ortho(float left, float right, float bottom, float top, float zNear, float zFar) {
    TMatrix4 m;
    m.At(0, 0) = 2 / (right - left);
    m.At(1, 1) = 2 / (top - bottom);
    m.At(2, 2) = -2 / (zFar - zNear);
    m.At(0, 3) = -(right + left) / (right - left);
    m.At(1, 3) = -(top + bottom) / (top - bottom);
    m.At(2, 3) = -(zFar + zNear) / (zFar - zNear);
    return m;
}

TMatrix4 TMatrix4::Frustum(float left, float right, float bottom, float top, float zNear, float zFar) {
    TMatrix4 m;
    m.At(0, 0) = 2 * zNear / (right - left);
    m.At(1, 1) = 2 * zNear / (top - bottom);
    m.At(0, 2) = (right + left) / (right - left);
    m.At(1, 2) = (top + bottom) / (top - bottom);
    m.At(2, 2) = -(zFar + zNear) / (zFar - zNear);
    m.At(3, 2) = -1;
    m.At(2, 3) = -2 * zFar * zNear / (zFar - zNear);
    m.At(3, 3) = 0;
    return m;
}

TMatrix4 TMatrix4::LookAt(TVector3 eye, TVector3 target, TVector3 up) {
    const TVector3 f = Normalized(target - eye);
    TVector3 s = Normalized(Cross(f, up));
    if (Length(s) == 0) // looking along the up vector: any perpendicular side will do
        s = Normalized(Cross(f, TVector3{1, 0, 0}));
    const TVector3 u = Cross(s, f);
    TMatrix4 m;
    m.At(0, 0) = s.X;
    m.At(0, 1) = s.Y;
    m.At(0, 2) = s.Z;
    m.At(1, 0) = u.X;
    m.At(1, 1) = u.Y;
    m.At(1, 2) = u.Z;
    m.At(2, 0) = -f.X;
    m.At(2, 1) = -f.Y;
    m.At(2, 2) = -f.Z;
    m.At(0, 3) = -Dot(s, eye);
    m.At(1, 3) = -Dot(u, eye);
    m.At(2, 3) = Dot(f, eye);
    return m;
}

TVector3 TMatrix4::TransformPoint(TVector3 p) const {
    const float x = At(0, 0) * p.X + At(0, 1) * p.Y + At(0, 2) * p.Z + At(0, 3);
    const float y = At(1, 0) * p.X + At(1, 1) * p.Y + At(1, 2) * p.Z + At(1, 3);
    const float z = At(2, 0) * p.X + At(2, 1) * p.Y + At(2, 2) * p.Z + At(2, 3);
    const float w = At(3, 0) * p.X + At(3, 1) * p.Y + At(3, 2) * p.Z + At(3, 3);
    if (w != 0 && w != 1)
        return {x / w, y / w, z / w};
    return {x, y, z};
}

TVector3 TMatrix4::TransformVector(TVector3 v) const {
    return {At(0, 0) * v.X + At(0, 1) * v.Y + At(0, 2) * v.Z, At(1, 0) * v.X + At(1, 1) * v.Y + At(1, 2) * v.Z,
            At(2, 0) * v.X + At(2, 1) * v.Y + At(2, 2) * v.Z};
}

TMatrix4 TMatrix4::Inverted() const {
    // Cofactor expansion of the column-major matrix.
    const auto& m = M;
    std::array<float, 16> inv{};
    inv[0] = m[5] * m[10] * m[15] - m[5] * m[11] * m[14] - m[9] * m[6] * m[15] + m[9] * m[7] * m[14] +
             m[13] * m[6] * m[11] - m[13] * m[7] * m[10];
    inv[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] - m[8] * m[7] * m[14] -
             m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
    inv[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] + m[8] * m[7] * m[13] +
             m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
    inv[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] - m[8] * m[6] * m[13] -
              m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
    inv[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] - m[9] * m[3] * m[14] -
             m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
    inv[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] + m[8] * m[3] * m[14] +
             m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
    inv[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] - m[8] * m[3] * m[13] -
             m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
    inv[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] + m[8] * m[2] * m[13] +
              m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
    inv[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] + m[5] * m[3] * m[14] +
             m[13] * m[2] * m[7] - m[13] * m[3] * m[6];
    inv[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] - m[4] * m[3] * m[14] -
             m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
    inv[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] + m[4] * m[3] * m[13] +
              m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
    inv[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] - m[4] * m[2] * m[13] -
              m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
    inv[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] - m[5] * m[3] * m[10] -
             m[9] * m[2] * m[7] + m[9] * m[3] * m[6];
    inv[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] + m[4] * m[3] * m[10] +
             m[8] * m[2] * m[7] - m[8] * m[3] * m[6];
    inv[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] - m[4] * m[3] * m[9] -
              m[8] * m[1] * m[7] + m[8] * m[3] * m[5];
    inv[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] + m[4] * m[2] * m[9] +
              m[8] * m[1] * m[6] - m[8] * m[2] * m[5];
    const float det = m[0] * inv[0] + m[1] * inv[4] + m[2] * inv[8] + m[3] * inv[12];
    if (det == 0)
        return {};
    TMatrix4 r;
    for (std::size_t i = 0; i < 16; ++i)
        r.M[i] = inv[i] / det;
    return r;
}

TMatrix4 operator*(const TMatrix4& a, const TMatrix4& b) {
    TMatrix4 r;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col) {
            float s = 0;
            for (int k = 0; k < 4; ++k)
                s += a.At(row, k) * b.At(k, col);
            r.At(row, col) = s;
        }
    return r;
}

} // namespace toolkit
