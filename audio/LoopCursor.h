#pragma once

#include <cstdint>
#include <span>

// Plays one buffer of mono samples a given number of times back to back, then silence.
// Shared by every device so that the looping the engine relies on is the same everywhere.
// Not thread-safe: the device serialises access.
class LoopCursor {
 public:
  // Starts over at the first of `frames` samples at `samples`, `loops` times in all. With a
  // `silentCycle` of 2 or more, every repetition k with k % silentCycle == silentCycle - 1
  // plays as zeros of the same length, so the loop's timing runs on through it unbroken.
  void Start(const std::int16_t* samples, std::uint32_t frames, std::uint32_t loops,
             std::uint32_t silentCycle = 0);
  void Stop();

  // Fills `out` with what plays next. Loop boundaries are seamless: no sample is inserted or
  // dropped between one repetition and the next.
  void Render(std::span<std::int16_t> out);

  // True while repetitions are left to render, silent ones included.
  bool HasFramesLeft() const { return loopsLeft_ > 0 && frames_ > 0; }
  // True once every repetition of the last Start has been rendered; a stopped cursor has
  // nothing to play out.
  bool PlayedOut() const { return frames_ > 0 && loopsLeft_ == 0; }
  // Frames still to render before the repetitions run out.
  std::uint64_t FramesLeft() const;

 private:
  bool SilentRepetition() const;

  const std::int16_t* samples_ = nullptr;
  std::uint32_t frames_ = 0;
  std::uint32_t loops_ = 0;
  std::uint32_t loopsLeft_ = 0;
  std::uint32_t position_ = 0;
  std::uint32_t silentCycle_ = 0;
};
