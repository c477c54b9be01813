#pragma once

#include <cmath>
#include <cstddef>
#include <vector>

namespace tastiva::test {

// YIN: the first dip of the normalised difference function, refined by a parabola. Unlike the
// strongest spectral peak it is not fooled by a loud second harmonic. 0 when none is found.
inline double Fundamental(const std::vector<float>& x, std::size_t rate) {
  const std::size_t maxLag = rate / 50;
  std::vector<double> d(maxLag + 1, 1.0);
  double running = 0;
  for (std::size_t lag = 1; lag <= maxLag; ++lag) {
    double sum = 0;
    for (std::size_t i = 0; i + maxLag < x.size(); ++i) sum += std::pow(x[i] - x[i + lag], 2);
    running += sum;
    d[lag] = running > 0 ? sum * lag / running : 1.0;
  }
  for (std::size_t lag = rate / 1000; lag < maxLag; ++lag) {
    if (d[lag] < 0.15 && d[lag] <= d[lag + 1]) {
      return rate /
             (lag + (d[lag - 1] - d[lag + 1]) / (2 * (d[lag - 1] - 2 * d[lag] + d[lag + 1])));
    }
  }
  return 0;
}

}  // namespace tastiva::test
