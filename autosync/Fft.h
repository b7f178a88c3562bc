#pragma once
// A small radix-2 fast Fourier transform and the cross-correlation of two real sequences.

#include <complex>
#include <cstddef>
#include <vector>

namespace velkar::autosync {

// Transforms `data` in place; its size must be a power of two (1 included). `inverse` gives
// the unscaled inverse transform (divide by the size afterwards).
void Fft(std::vector<std::complex<double>>& data, bool inverse);

// The smallest power of two >= n (n = 0 gives 1).
std::size_t PowerOfTwoAtLeast(std::size_t n);

// c[d] = sum over k of x[k] * y[k + d], for d = -(x.size() - 1) .. y.size() - 1, by FFT.
// Returned with d = -(x.size() - 1) at index 0 (so index i holds d = i - x.size() + 1); empty
// when either input is empty.
std::vector<double> CrossCorrelation(const std::vector<double>& x, const std::vector<double>& y);

// The same for the lags minLag .. maxLag only (index i holds d = minLag + i), on a transform
// just long enough for them; empty when maxLag < minLag or an input is empty.
std::vector<double> CrossCorrelation(const std::vector<double>& x, const std::vector<double>& y,
                                     long long minLag, long long maxLag);

} // namespace velkar::autosync
