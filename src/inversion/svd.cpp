#include "svd.h"

#include <algorithm>
#include <cmath>

namespace corvane {

namespace {

double pythag(double a, double b) { return std::hypot(a, b); }

double withSign(double magnitude, double sign)
{
    return sign >= 0 ? std::abs(magnitude) : -std::abs(magnitude);
}

}  // namespace

Svd decomposeSvd(const Matrix& input)
{
    Svd out;
    Matrix a = input;
    const int m = a.rows();
    const int n = a.cols();
    out.w.assign(static_cast<std::size_t>(n), 0.0);
    out.v = Matrix(n, n);
    auto& w = out.w;
    Matrix& v = out.v;
    auto W = [&w](int i) -> double& { return w[static_cast<std::size_t>(i)]; };
    std::vector<double> rv1(static_cast<std::size_t>(n), 0.0);
    auto R = [&rv1](int i) -> double& { return rv1[static_cast<std::size_t>(i)]; };

    double g = 0, scale = 0, anorm = 0;
    int l = 0;

    // Householder reduction to bidiagonal form.
    for (int i = 0; i < n; ++i) {
        l = i + 1;
        R(i) = scale * g;
        g = scale = 0;
        double s = 0;
        if (i < m) {
            for (int k = i; k < m; ++k)
                scale += std::abs(a(k, i));
            if (scale != 0) {
                for (int k = i; k < m; ++k) {
                    a(k, i) /= scale;
                    s += a(k, i) * a(k, i);
                }
                const double f = a(i, i);
                g = -withSign(std::sqrt(s), f);
                const double h = f * g - s;
                a(i, i) = f - g;
                for (int j = l; j < n; ++j) {
                    double sum = 0;
                    for (int k = i; k < m; ++k)
                        sum += a(k, i) * a(k, j);
                    const double factor = sum / h;
                    for (int k = i; k < m; ++k)
                        a(k, j) += factor * a(k, i);
                }
                for (int k = i; k < m; ++k)
                    a(k, i) *= scale;
            }
        }
        W(i) = scale * g;
        g = scale = 0;
        s = 0;
        if (i < m && i != n - 1) {
            for (int k = l; k < n; ++k)
                scale += std::abs(a(i, k));
            if (scale != 0) {
                for (int k = l; k < n; ++k) {
                    a(i, k) /= scale;
                    s += a(i, k) * a(i, k);
                }
                const double f = a(i, l);
                g = -withSign(std::sqrt(s), f);
                const double h = f * g - s;
                a(i, l) = f - g;
                for (int k = l; k < n; ++k)
                    R(k) = a(i, k) / h;
                for (int j = l; j < m; ++j) {
                    double sum = 0;
                    for (int k = l; k < n; ++k)
                        sum += a(j, k) * a(i, k);
                    for (int k = l; k < n; ++k)
                        a(j, k) += sum * R(k);
                }
                for (int k = l; k < n; ++k)
                    a(i, k) *= scale;
            }
        }
        anorm = std::max(anorm, std::abs(W(i)) + std::abs(R(i)));
    }

    // Accumulation of the right-hand transformations.
    for (int i = n - 1; i >= 0; --i) {
        if (i < n - 1) {
            if (g != 0) {
                for (int j = l; j < n; ++j)
                    v(j, i) = (a(i, j) / a(i, l)) / g;   // two divisions avoid underflow
                for (int j = l; j < n; ++j) {
                    double sum = 0;
                    for (int k = l; k < n; ++k)
                        sum += a(i, k) * v(k, j);
                    for (int k = l; k < n; ++k)
                        v(k, j) += sum * v(k, i);
                }
            }
            for (int j = l; j < n; ++j)
                v(i, j) = v(j, i) = 0;
        }
        v(i, i) = 1;
        g = R(i);
        l = i;
    }

    // Accumulation of the left-hand transformations.
    for (int i = std::min(m, n) - 1; i >= 0; --i) {
        l = i + 1;
        g = W(i);
        for (int j = l; j < n; ++j)
            a(i, j) = 0;
        if (g != 0) {
            g = 1 / g;
            for (int j = l; j < n; ++j) {
                double sum = 0;
                for (int k = l; k < m; ++k)
                    sum += a(k, i) * a(k, j);
                const double f = (sum / a(i, i)) * g;
                for (int k = i; k < m; ++k)
                    a(k, j) += f * a(k, i);
            }
            for (int j = i; j < m; ++j)
                a(j, i) *= g;
        } else {
            for (int j = i; j < m; ++j)
                a(j, i) = 0;
        }
        a(i, i) += 1;
    }

    // Diagonalisation of the bidiagonal form by implicitly shifted QR sweeps.
    const double eps = 2.220446049250313e-16;
    auto negligible = [&](double x) { return std::abs(x) <= eps * anorm; };
    for (int k = n - 1; k >= 0; --k) {
        for (int its = 1; its <= 30; ++its) {
            bool cancel = true;
            int nm = 0;
            for (l = k; l >= 0; --l) {
                nm = l - 1;
                if (l == 0 || negligible(R(l))) {   // rv1[0] is always 0
                    cancel = false;
                    break;
                }
                if (negligible(W(nm)))
                    break;
            }
            if (cancel) {
                // W(nm) is negligible: chase the superdiagonal element out.
                double c = 0, s = 1;
                for (int i = l; i <= k; ++i) {
                    const double f = s * R(i);
                    R(i) = c * R(i);
                    if (negligible(f))
                        break;
                    g = W(i);
                    double h = pythag(f, g);
                    W(i) = h;
                    h = 1 / h;
                    c = g * h;
                    s = -f * h;
                    for (int j = 0; j < m; ++j) {
                        const double y = a(j, nm), z = a(j, i);
                        a(j, nm) = y * c + z * s;
                        a(j, i) = z * c - y * s;
                    }
                }
            }
            double z = W(k);
            if (l == k) {   // converged: make the value non-negative
                if (z < 0) {
                    W(k) = -z;
                    for (int j = 0; j < n; ++j)
                        v(j, k) = -v(j, k);
                }
                break;
            }
            if (its == 30)
                out.converged = false;   // carry on with this sweep, as the method does
            // Shift from the bottom 2 x 2 minor.
            double x = W(l);
            nm = k - 1;
            double y = W(nm);
            g = R(nm);
            double h = R(k);
            double f = ((y - z) * (y + z) + (g - h) * (g + h)) / (2 * h * y);
            g = pythag(f, 1.0);
            f = ((x - z) * (x + z) + h * ((y / (f + withSign(g, f))) - h)) / x;
            // Next QR transformation.
            double c = 1, s = 1;
            for (int j = l; j <= nm; ++j) {
                const int i = j + 1;
                g = R(i);
                y = W(i);
                h = s * g;
                g = c * g;
                z = pythag(f, h);
                R(j) = z;
                c = f / z;
                s = h / z;
                f = x * c + g * s;
                g = g * c - x * s;
                h = y * s;
                y *= c;
                for (int jj = 0; jj < n; ++jj) {
                    const double vx = v(jj, j), vz = v(jj, i);
                    v(jj, j) = vx * c + vz * s;
                    v(jj, i) = vz * c - vx * s;
                }
                z = pythag(f, h);
                W(j) = z;
                if (z != 0) {   // the rotation can be arbitrary when z is 0
                    z = 1 / z;
                    c = f * z;
                    s = h * z;
                }
                f = c * g + s * y;
                x = c * y - s * g;
                for (int jj = 0; jj < m; ++jj) {
                    const double ay = a(jj, j), az = a(jj, i);
                    a(jj, j) = ay * c + az * s;
                    a(jj, i) = az * c - ay * s;
                }
            }
            R(l) = 0;
            R(k) = f;
            W(k) = x;
        }
    }
    out.u = std::move(a);
    return out;
}

Matrix pseudoInverse(const Matrix& a, double relativeThreshold)
{
    const int n = a.cols();
    const Svd d = decomposeSvd(a);
    double wmax = 0;
    for (double x : d.w)
        wmax = std::max(wmax, x);
    const double threshold = wmax * relativeThreshold;
    std::vector<double> recip(static_cast<std::size_t>(n), 0.0);
    for (int j = 0; j < n; ++j) {
        const double wj = d.w[static_cast<std::size_t>(j)];
        // A zero largest value means a zero matrix: every direction is dropped.
        recip[static_cast<std::size_t>(j)] = (wj >= threshold && wj > 0) ? 1 / wj : 0;
    }
    const int m = a.rows();
    Matrix inv(n, m);
    for (int i = 0; i < n; ++i)
        for (int k = 0; k < m; ++k) {
            double sum = 0;
            for (int j = 0; j < n; ++j)
                sum += d.v(i, j) * recip[static_cast<std::size_t>(j)] * d.u(k, j);
            inv(i, k) = sum;
        }
    return inv;
}

}  // namespace corvane
