#pragma once
// Singular value decomposition (Golub-Reinsch) and the pseudo-inverse built
// from it. Small dense matrices only: the normal equations of an inversion,
// at most a few hundred unknowns.
#include <cstddef>
#include <vector>

namespace corvane {

// A dense row-major matrix indexed from 0.
class Matrix {
public:
    Matrix() = default;
    Matrix(int rows, int cols, double value = 0)
        : rows_(rows), cols_(cols), data_(static_cast<std::size_t>(rows * cols), value)
    {
    }
    int rows() const { return rows_; }
    int cols() const { return cols_; }
    double& operator()(int i, int j) { return data_[index(i, j)]; }
    double operator()(int i, int j) const { return data_[index(i, j)]; }

private:
    std::size_t index(int i, int j) const
    {
        return static_cast<std::size_t>(i) * static_cast<std::size_t>(cols_) +
               static_cast<std::size_t>(j);
    }
    int rows_ = 0;
    int cols_ = 0;
    std::vector<double> data_;
};

struct Svd {
    Matrix u;                 // rows x cols, orthonormal columns
    std::vector<double> w;    // cols singular values (not sorted)
    Matrix v;                 // cols x cols, orthogonal
    bool converged = true;    // false when some value took more than 30 sweeps
};

// a = u * diag(w) * v-transpose, for a with rows >= cols: Householder reduction
// to bidiagonal form, then implicitly shifted QR sweeps, at most 30 per value.
Svd decomposeSvd(const Matrix& a);

// The inverse V * diag(1/w) * U-transpose of a square matrix, where singular
// values below relativeThreshold times the largest are dropped (their
// reciprocal taken as 0), so a singular system gives the least-norm answer.
Matrix pseudoInverse(const Matrix& a, double relativeThreshold = 1e-6);

}  // namespace corvane
