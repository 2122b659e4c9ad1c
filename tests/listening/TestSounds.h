#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <span>
#include <utility>
#include <vector>

// Sounds for the listening tests, as doubles in 16-bit units until Pcm() rounds and clips.
namespace sounds {

constexpr double kRate = 44100.0;
constexpr double kPi = 3.14159265358979323846;

inline double Dbfs(double db) {
  return 32767 * std::pow(10.0, db / 20.0);
}

// `frames` of `shape(t)`, t in seconds, scaled to peak at `peak`.
template <typename Shape>
std::vector<double> Struck(std::size_t frames, double peak, Shape shape) {
  std::vector<double> s(frames);
  for (std::size_t n = 0; n < frames; ++n) s[n] = shape(static_cast<double>(n) / kRate);
  const double most = std::fabs(*std::max_element(
      s.begin(), s.end(), [](double a, double b) { return std::fabs(a) < std::fabs(b); }));
  for (double& x : s) x *= peak / most;
  return s;
}

// A player's clave, not Tocolo's: one mode at 2750 Hz struck with a sharp attack.
inline std::vector<double> PlayerClave(double peak) {
  return Struck(2200, peak, [](double t) {
    return std::exp(-t / 0.010) * std::sin(2 * kPi * 2750 * t + kPi / 4);
  });
}
// Two hands: a sharp burst of noise and two weaker ones 1 and 2 ms after it.
inline std::vector<double> Clap(double peak) {
  std::mt19937 random(7);
  std::normal_distribution<double> noise;
  return Struck(2600, peak, [&](double t) {
    double envelope = 0;
    for (const auto& [start, level] : {std::pair{0.0, 1.0}, {0.0009, 0.5}, {0.002, 0.3}})
      if (t >= start) envelope += level * std::exp(-(t - start) / 0.003);
    return envelope * noise(random);
  });
}
// Two inharmonic partials struck at once, ringing for 0.7 s.
inline std::vector<double> Cowbell(double peak) {
  return Struck(30870, peak, [](double t) {
    return (0.6 * std::exp(-t / 0.010) + 0.4 * std::exp(-t / 0.2)) *
           (std::sin(2 * kPi * 562 * t + 1) + 0.7 * std::sin(2 * kPi * 845 * t + 2));
  });
}

// Seeded Gaussian noise at `rms`: white, or pink (-3 dB an octave, mostly rumble) through
// Paul Kellet's three-pole filter.
inline std::vector<double> Noise(std::size_t frames, double rms, std::uint32_t seed, bool pink) {
  std::mt19937 random(seed);
  std::normal_distribution<double> white;
  std::vector<double> s(frames);
  double b0 = 0, b1 = 0, b2 = 0, energy = 0;
  for (double& x : s) {
    x = white(random);
    if (pink) {
      b0 = 0.99765 * b0 + x * 0.0990460;
      b1 = 0.96300 * b1 + x * 0.2965164;
      b2 = 0.57000 * b2 + x * 1.0526913;
      x = b0 + b1 + b2 + x * 0.1848;
    }
    energy += x * x;
  }
  for (double& x : s) x *= rms / std::sqrt(energy / static_cast<double>(frames));
  return s;
}

// `sound` added into `mix` at each position, times `gain`, cut at the end.
inline void AddAt(std::vector<double>& mix, std::span<const std::size_t> positions,
                  std::span<const double> sound, double gain = 1.0) {
  for (std::size_t p : positions)
    for (std::size_t i = 0; i < sound.size() && p + i < mix.size(); ++i)
      mix[p + i] += gain * sound[i];
}

// What a microphone in a small room hears of `sound`: each path a delayed, scaled copy.
struct Path {
  std::size_t delay;
  double gain;
};
inline std::vector<double> ThroughRoom(std::span<const double> sound, std::span<const Path> paths) {
  std::vector<double> heard(sound.size());
  for (const Path& path : paths) AddAt(heard, std::array{path.delay}, sound, path.gain);
  return heard;
}

inline std::vector<std::int16_t> Pcm(std::span<const double> s) {
  std::vector<std::int16_t> out(s.size());
  for (std::size_t n = 0; n < s.size(); ++n)
    out[n] = static_cast<std::int16_t>(std::clamp(std::round(s[n]), -32768.0, 32767.0));
  return out;
}

}  // namespace sounds
