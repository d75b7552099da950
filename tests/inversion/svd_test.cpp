// The singular value decomposition and the pseudo-inverse built from it.
#include "inversion/svd.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace corvane;

namespace {

Matrix fromRows(const std::vector<std::vector<double>>& rows)
{
    Matrix a(static_cast<int>(rows.size()), static_cast<int>(rows[0].size()));
    for (int i = 0; i < a.rows(); ++i)
        for (int j = 0; j < a.cols(); ++j)
            a(i, j) = rows[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
    return a;
}

Matrix multiply(const Matrix& a, const Matrix& b)
{
    Matrix c(a.rows(), b.cols());
    for (int i = 0; i < a.rows(); ++i)
        for (int j = 0; j < b.cols(); ++j)
            for (int k = 0; k < a.cols(); ++k)
                c(i, j) += a(i, k) * b(k, j);
    return c;
}

void expectNear(const Matrix& a, const Matrix& b, double tol)
{
    ASSERT_EQ(a.rows(), b.rows());
    ASSERT_EQ(a.cols(), b.cols());
    for (int i = 0; i < a.rows(); ++i)
        for (int j = 0; j < a.cols(); ++j)
            EXPECT_NEAR(a(i, j), b(i, j), tol) << "(" << i << "," << j << ")";
}

std::vector<double> sortedValues(const Svd& d)
{
    std::vector<double> w = d.w;
    std::sort(w.begin(), w.end(), std::greater<>());
    return w;
}

// Checks a = U W V^T with orthonormal U columns, orthogonal V and W >= 0.
void expectValidDecomposition(const Matrix& a)
{
    const Svd d = decomposeSvd(a);
    ASSERT_TRUE(d.converged);
    const int m = a.rows(), n = a.cols();
    Matrix uw(m, n);
    for (int i = 0; i < m; ++i)
        for (int j = 0; j < n; ++j) {
            EXPECT_GE(d.w[static_cast<std::size_t>(j)], 0);
            uw(i, j) = d.u(i, j) * d.w[static_cast<std::size_t>(j)];
        }
    Matrix vt(n, n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            vt(i, j) = d.v(j, i);
    double scale = 1;
    for (int i = 0; i < m; ++i)
        for (int j = 0; j < n; ++j)
            scale = std::max(scale, std::abs(a(i, j)));
    expectNear(multiply(uw, vt), a, 1e-12 * scale);
    for (int j = 0; j < n; ++j)
        for (int l = 0; l < n; ++l) {
            double uu = 0, vv = 0;
            for (int i = 0; i < m; ++i)
                uu += d.u(i, j) * d.u(i, l);
            for (int i = 0; i < n; ++i)
                vv += d.v(i, j) * d.v(i, l);
            EXPECT_NEAR(uu, j == l ? 1 : 0, 1e-12);
            EXPECT_NEAR(vv, j == l ? 1 : 0, 1e-12);
        }
}

}  // namespace

TEST(Svd, KnownSingularValues)
{
    // Diagonal with a negative entry: the values are the absolute values.
    const Svd diag = decomposeSvd(fromRows({{3, 0, 0}, {0, -1, 0}, {0, 0, 2}}));
    const std::vector<double> expectDiag{3, 2, 1};
    for (std::size_t j = 0; j < 3; ++j)
        EXPECT_NEAR(sortedValues(diag)[j], expectDiag[j], 1e-14);

    // [[3, 0], [4, 5]]: A^T A has eigenvalues 45 and 5.
    const Svd two = decomposeSvd(fromRows({{3, 0}, {4, 5}}));
    EXPECT_NEAR(sortedValues(two)[0], std::sqrt(45.0), 1e-13);
    EXPECT_NEAR(sortedValues(two)[1], std::sqrt(5.0), 1e-13);

    // A rank-one 3 x 2 matrix u v^T with |u| = 3, |v| = 5.
    const Svd rank1 = decomposeSvd(fromRows({{3, 4}, {6, 8}, {6, 8}}));
    EXPECT_NEAR(sortedValues(rank1)[0], 15, 1e-13);
    EXPECT_NEAR(sortedValues(rank1)[1], 0, 1e-13);
}

TEST(Svd, DecompositionReconstructsTheMatrix)
{
    expectValidDecomposition(fromRows({{1, 2, 3}, {4, 5, 6}, {7, 8, 10}, {-1, 0.5, 2}}));
    expectValidDecomposition(fromRows({{2, -1, 0, 0}, {-1, 2, -1, 0}, {0, -1, 2, -1}, {0, 0, -1, 2}}));
    expectValidDecomposition(fromRows({{1e-9, 1}, {1, 1e9}}));   // widely scaled
    expectValidDecomposition(fromRows({{0, 0}, {0, 0}}));
    // A 10 x 10 matrix like the damped normal equations of the inversion.
    Matrix j(30, 10);
    for (int i = 0; i < 30; ++i)
        for (int k = 0; k < 10; ++k)
            j(i, k) = std::sin(0.37 * (i + 1) * (k + 1)) + (i == k ? 2 : 0);
    expectValidDecomposition(j);
}

TEST(Svd, PseudoInverse)
{
    // An invertible symmetric matrix: the true inverse.
    Matrix a(10, 10);
    for (int i = 0; i < 10; ++i)
        for (int k = 0; k < 10; ++k)
            a(i, k) = 1.0 / (i + k + 1) + (i == k ? 0.5 : 0);   // Hilbert plus a diagonal
    Matrix identity(10, 10);
    for (int i = 0; i < 10; ++i)
        identity(i, i) = 1;
    expectNear(multiply(a, pseudoInverse(a)), identity, 1e-10);

    // Rank-deficient: the dropped direction gets nothing.
    expectNear(pseudoInverse(fromRows({{1, 1}, {1, 1}})),
               fromRows({{0.25, 0.25}, {0.25, 0.25}}), 1e-14);
    const Matrix s = fromRows({{1, 2, 3}, {2, 4, 6}, {1, 0, 1}});
    const Matrix p = pseudoInverse(s);
    expectNear(multiply(multiply(s, p), s), s, 1e-12);   // Penrose conditions
    expectNear(multiply(multiply(p, s), p), p, 1e-12);

    // A value below a millionth of the largest is dropped, one above it kept.
    expectNear(pseudoInverse(fromRows({{1, 0}, {0, 0.9e-6}})), fromRows({{1, 0}, {0, 0}}), 1e-12);
    expectNear(pseudoInverse(fromRows({{1, 0}, {0, 2e-6}})), fromRows({{1, 0}, {0, 5e5}}), 1e-6);

    // The zero matrix inverts to zero rather than to infinities.
    expectNear(pseudoInverse(Matrix(3, 3)), Matrix(3, 3), 0);
}
