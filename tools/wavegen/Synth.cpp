#include "tools/wavegen/Synth.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>

namespace {

// Every tone is designed at the rate the player runs them at, whatever its header says.
constexpr double kRate = 44100.0;
constexpr double kPi = 3.14159265358979323846;
// round(32767 * 10^(-3/20)): every tone peaks at -3 dBFS.
constexpr double kPeak = 23197.0;
// round(32767 * 10^(-15/20)): the beat's click sits 12 dB under the tones.
constexpr double kClickPeak = 5827.0;

double Seconds(std::size_t n) {
  return static_cast<double>(n) / kRate;
}
std::size_t Samples(double seconds) {
  return static_cast<std::size_t>(seconds * kRate + 0.5);
}

// xorshift32 mapped through its top 24 bits, so the conversion to [-1, 1) is exact and the
// noise is the same everywhere; library distributions are not.
double NextNoise(std::uint32_t& state) {
  state ^= state << 13;
  state ^= state >> 17;
  state ^= state << 5;
  return static_cast<double>(state >> 8) / 8388608.0 - 1.0;
}

// Half-cosine rise from exactly 0 at n = 0 to 1 at n = length.
double Rise(std::size_t n, std::size_t length) {
  if (n >= length) return 1.0;
  return 0.5 - 0.5 * std::cos(kPi * static_cast<double>(n) / static_cast<double>(length));
}

enum class Filter { kBandPass, kHighPass };

// A second-order section (the usual audio-EQ cookbook forms) run in place; the band-pass
// has 0 dB gain at its centre.
void Apply(Filter kind, double frequency, double q, std::span<double> signal) {
  const double w = 2.0 * kPi * frequency / kRate;
  const double cosw = std::cos(w);
  const double alpha = std::sin(w) / (2.0 * q);
  double b0 = alpha, b1 = 0.0, b2 = -alpha;
  if (kind == Filter::kHighPass) {
    b0 = (1.0 + cosw) / 2.0;
    b1 = -(1.0 + cosw);
    b2 = b0;
  }
  const double a0 = 1.0 + alpha;
  const double a1 = -2.0 * cosw / a0, a2 = (1.0 - alpha) / a0;
  b0 /= a0;
  b1 /= a0;
  b2 /= a0;
  double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;
  for (double& s : signal) {
    const double y = b0 * s + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = x1;
    x1 = s;
    y2 = y1;
    y1 = y;
    s = y;
  }
}

// Ramps both ends so the tone starts and stops at exactly zero, removes DC and scales to
// the common peak. The offset is taken under the window: removing the plain mean before
// windowing would let the ramps bring some back.
std::vector<std::int16_t> Finish(std::span<const double> signal, std::size_t fadeIn,
                                 std::size_t fadeOut, double level = kPeak) {
  const std::size_t count = signal.size();
  std::vector<double> window(count);
  double weighted = 0.0, weight = 0.0;
  for (std::size_t n = 0; n < count; ++n) {
    window[n] = Rise(n, fadeIn) * Rise(count - 1 - n, fadeOut);
    weighted += window[n] * signal[n];
    weight += window[n];
  }
  const double offset = weighted / weight;
  double peak = 0.0;
  for (std::size_t n = 0; n < count; ++n) {
    window[n] *= signal[n] - offset;
    peak = std::fmax(peak, std::fabs(window[n]));
  }
  std::vector<std::int16_t> out(count);
  for (std::size_t n = 0; n < count; ++n) {
    out[n] = static_cast<std::int16_t>(std::lround(window[n] * level / peak));
  }
  return out;
}

// One odd harmonic series up to `ceiling`, so the square carries no aliases.
double Square(double frequency, double t, double ceiling) {
  double sum = 0.0;
  for (int k = 1; k * frequency < ceiling; k += 2)
    sum += std::sin(2.0 * kPi * k * frequency * t) / k;
  return sum;
}

}  // namespace

// Two sticks ringing at slightly different pitches, with the bar's first overtone and a
// short burst of noise at the strike.
Tone SynthesiseClaves() {
  struct Mode {
    double frequency, amplitude, decay;
  };
  constexpr Mode kModes[] = {{2480.0, 1.0, 0.040}, {2290.0, 0.45, 0.028}, {6850.0, 0.15, 0.006}};
  std::vector<double> signal(15204);
  std::vector<double> strike(signal.size());
  std::uint32_t seed = 0x2545F491u;
  for (std::size_t n = 0; n < signal.size(); ++n) {
    const double t = Seconds(n);
    for (const Mode& mode : kModes) {
      signal[n] +=
          mode.amplitude * std::exp(-t / mode.decay) * std::sin(2.0 * kPi * mode.frequency * t);
    }
    strike[n] = NextNoise(seed) * std::exp(-t / 0.0008);
  }
  Apply(Filter::kHighPass, 3000.0, 0.7, strike);
  for (std::size_t n = 0; n < signal.size(); ++n) signal[n] += 0.35 * strike[n];
  return {"claves.wav", 44100, Finish(signal, 4, Samples(0.004))};
}

// A flam of band-passed noise bursts, as of several hands not quite together, then a short
// room tail.
Tone SynthesiseHandclap() {
  struct Burst {
    double start, amplitude;
  };
  constexpr Burst kBursts[] = {{0.0, 0.8}, {0.0095, 0.9}, {0.0205, 0.85}, {0.031, 1.0}};
  constexpr double kTailStart = 0.031;
  std::vector<double> signal(25830);
  std::uint32_t seed = 0x9E3779B9u;
  for (std::size_t n = 0; n < signal.size(); ++n) {
    const double t = Seconds(n);
    double envelope = 0.0;
    for (const Burst& burst : kBursts) {
      const std::size_t start = Samples(burst.start);
      if (n < start) continue;
      envelope += burst.amplitude * Rise(n - start, Samples(0.0004)) *
                  std::exp(-(t - burst.start) / 0.0028);
    }
    if (n >= Samples(kTailStart)) {
      envelope +=
          0.5 * Rise(n - Samples(kTailStart), Samples(0.003)) * std::exp(-(t - kTailStart) / 0.075);
    }
    signal[n] = NextNoise(seed) * envelope;
  }
  // Two staggered sections: a flat 1-2 kHz band with steeper skirts than one alone.
  Apply(Filter::kBandPass, 1100.0, 1.2, signal);
  Apply(Filter::kBandPass, 1700.0, 1.2, signal);
  return {"handclap.wav", 48000, Finish(signal, 4, Samples(0.006))};
}

// The classic pair of detuned squares, band-passed so only their clangorous middle is
// left, with a sharp strike over a longer ring.
Tone SynthesiseCowbell() {
  std::vector<double> signal(30080);
  for (std::size_t n = 0; n < signal.size(); ++n) {
    const double t = Seconds(n);
    signal[n] = Square(540.0, t, 12000.0) + Square(800.0, t, 12000.0);
  }
  Apply(Filter::kBandPass, 1000.0, 1.0, signal);
  for (std::size_t n = 0; n < signal.size(); ++n) {
    const double t = Seconds(n);
    signal[n] *=
        Rise(n, Samples(0.0008)) * (0.6 * std::exp(-t / 0.012) + 0.4 * std::exp(-t / 0.15));
  }
  return {"cowbell.wav", 44100, Finish(signal, 4, Samples(0.008))};
}

// A short tick of high noise: no pitch, and above every tone's band, so it is heard as the
// beat underneath rather than as another stroke.
Tone SynthesiseClick() {
  std::vector<double> signal(Samples(0.015));
  std::uint32_t seed = 0x6C8E9CF5u;
  for (std::size_t n = 0; n < signal.size(); ++n) {
    signal[n] = NextNoise(seed) * std::exp(-Seconds(n) / 0.0025);
  }
  Apply(Filter::kHighPass, 5000.0, 0.7, signal);
  return {"click.wav", 44100, Finish(signal, 4, Samples(0.003), kClickPeak)};
}
