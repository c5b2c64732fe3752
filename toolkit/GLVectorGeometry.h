#pragma once
// Small vector, colour and matrix types of the scene toolkit. Matrices are 4 x 4, column-major like
// OpenGL's, so the renderer hands them to GL unchanged and picking uses exactly the same transforms.

#include <array>

namespace toolkit {

struct TVector3 {
    float X = 0, Y = 0, Z = 0;
};

inline TVector3 operator+(TVector3 a, TVector3 b) { return {a.X + b.X, a.Y + b.Y, a.Z + b.Z}; }
inline TVector3 operator-(TVector3 a, TVector3 b) { return {a.X - b.X, a.Y - b.Y, a.Z - b.Z}; }
inline TVector3 operator*(TVector3 a, float f) { return {a.X * f, a.Y * f, a.Z * f}; }
float Dot(TVector3 a, TVector3 b);
TVector3 Cross(TVector3 a, TVector3 b);
float Length(TVector3 v);
// The unit vector of v; the zero vector stays zero.
TVector3 Normalized(TVector3 v);

// Red, green, blue, alpha, each nominally 0 to 1.
struct TColorVector {
    float R = 0, G = 0, B = 0, A = 1;
};

struct TMatrix4 {
    std::array<float, 16> M{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; // column-major

    float& At(int row, int col) { return M[std::size_t(col * 4 + row)]; }
    float At(int row, int col) const { return M[std::size_t(col * 4 + row)]; }

    static TMatrix4 Identity() { return {}; }
    static TMatrix4 Translation(TVector3 t);
    static TMatrix4 Scaling(TVector3 s);
    // Rotation by an angle in degrees around a unit axis through the origin.
    static TMatrix4 Rotation(TVector3 axis, float degrees);
    static TMatrix4 Ortho(float left, float right, float bottom, float top, float zNear, float zFar);
    static TMatrix4 Frustum(float left, float right, float bottom, float top, float zNear, float zFar);
    static TMatrix4 LookAt(TVector3 eye, TVector3 target, TVector3 up);

    TVector3 TransformPoint(TVector3 p) const;   // with the translation, divided by w
    TVector3 TransformVector(TVector3 v) const;  // the 3 x 3 part only
    // The inverse; a singular matrix gives the identity.
    TMatrix4 Inverted() const;
};

TMatrix4 operator*(const TMatrix4& a, const TMatrix4& b);

} // namespace toolkit
