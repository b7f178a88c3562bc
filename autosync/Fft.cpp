#include "autosync/Fft.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <numbers>

namespace velkar::autosync {

std::size_t PowerOfTwoAtLeast(std::size_t n) {
    return n <= 1 ? 1 : std::bit_ceil(n);
}

void Fft(std::vector<std::complex<double>>& data, bool inverse) {
    const std::size_t n = data.size();
    assert(std::has_single_bit(n) || n == 0);
    if (n < 2)
        return;
    // Bit-reversed order, then butterflies of growing length.
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j |= bit;
        if (i < j)
            std::swap(data[i], data[j]);
    }
    // Twiddles for the largest length (kept for the next transform of the same size); smaller
    // lengths take every (n / len)-th one; the inverse takes their conjugates.
    thread_local std::vector<std::complex<double>> forward;
    if (forward.size() != n / 2) {
        forward.resize(n / 2);
        for (std::size_t k = 0; k < n / 2; ++k)
            forward[k] = std::polar(1.0, -2.0 * std::numbers::pi * double(k) / double(n));
    }
    thread_local std::vector<std::complex<double>> backward;
    if (inverse && backward.size() != n / 2) {
        backward.resize(n / 2);
        for (std::size_t k = 0; k < n / 2; ++k)
            backward[k] = std::conj(forward[k]);
    }
    const std::vector<std::complex<double>>& twiddle = inverse ? backward : forward;
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const std::size_t half = len / 2;
        const std::size_t step = n / len;
        for (std::size_t start = 0; start < n; start += len) {
            for (std::size_t k = 0; k < half; ++k) {
                const std::complex<double> t = twiddle[k * step] * data[start + k + half];
                data[start + k + half] = data[start + k] - t;
                data[start + k] += t;
            }
        }
    }
}

std::vector<double> CrossCorrelation(const std::vector<double>& x, const std::vector<double>& y) {
    if (x.empty() || y.empty())
        return {};
    return CrossCorrelation(x, y, -static_cast<long long>(x.size()) + 1,
                            static_cast<long long>(y.size()) - 1);
}

std::vector<double> CrossCorrelation(const std::vector<double>& x, const std::vector<double>& y,
                                     long long minLag, long long maxLag) {
    if (x.empty() || y.empty() || maxLag < minLag)
        return {};
    const std::size_t count = static_cast<std::size_t>(maxLag - minLag + 1);
    // Circular correlation over n points equals the linear one at the lags wanted when no
    // product wraps around: n > x.size() - 1 + maxLag and n > y.size() - 1 - minLag.
    const long long needed =
        std::max({static_cast<long long>(x.size()) + maxLag,
                  static_cast<long long>(y.size()) - minLag, static_cast<long long>(count), 1LL});
    const std::size_t n = PowerOfTwoAtLeast(static_cast<std::size_t>(needed));
    // Both real sequences go through one complex transform: x in the real part, y in the
    // imaginary part; their spectra are separated by symmetry.
    std::vector<std::complex<double>> z(n);
    for (std::size_t k = 0; k < x.size(); ++k)
        z[k].real(x[k]);
    for (std::size_t k = 0; k < y.size(); ++k)
        z[k].imag(y[k]);
    Fft(z, false);
    std::vector<std::complex<double>> product(n);
    for (std::size_t k = 0; k < n; ++k) {
        const std::complex<double> a = z[k];
        const std::complex<double> b = std::conj(z[(n - k) & (n - 1)]);
        const std::complex<double> fx = (a + b) * 0.5;
        const std::complex<double> fy = (a - b) * std::complex<double>(0, -0.5);
        product[k] = std::conj(fx) * fy;
    }
    Fft(product, true);
    // Circular index of lag d is d mod n.
    std::vector<double> c(count);
    const long long first = minLag;
    for (std::size_t i = 0; i < count; ++i) {
        const long long d = first + static_cast<long long>(i);
        const std::size_t at =
            static_cast<std::size_t>((d % (long long)n + (long long)n) % (long long)n);
        c[i] = product[at].real() / double(n);
    }
    return c;
}

} // namespace velkar::autosync
