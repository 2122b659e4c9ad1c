#pragma once

#include <QTimer>
#include <QWidget>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "tapalong/StrokeListener.h"

class CRhythmEngine;
class PulseInput;
class QCheckBox;
class QLabel;
class QProgressBar;
class TapAlongFigureLabel;

// The listening row of the tap-along window: the Listen check box, the input listened to and
// how loud it is, and how Tocolo hears itself. While Listen is on, and only then, the
// desktop's default input is recorded and the player's strokes are found in it; nothing of
// what it hears is kept beyond them.
class TapAlongListening : public QWidget {
 public:
  using Clock = LoopClock::Clock;

  // A stroke of the player's the microphone heard, placed on the loop's timeline.
  struct Heard {
    double frame;
    std::uint64_t start;  // the output's start it was placed on
    bool adjustable;      // with headphones the adjustment applies; through loudspeakers not
    Clock::time_point captured;
  };

  TapAlongListening(std::function<CRhythmEngine*()> engine, QWidget* parent);
  ~TapAlongListening() override;

  // Listen off and the recording ended: when the window opens and when it closes.
  void Stop();
  bool Listening() const { return input_ != nullptr; }
  // Through loudspeakers, where the player's strokes can hide under Tocolo's own.
  bool Loudspeakers() const;
  // What plays now, to tell Tocolo's sound from the player's: as often as it may change.
  void Follow();
  // The player's strokes heard since last asked.
  std::vector<Heard> TakeStrokes();
  // How the microphone hears Tocolo, for a practice log: "heard through loudspeakers, round
  // trip 57.4 ms" or "heard with headphones"; empty while not listening or not yet known.
  QString HowHeardText() const;
  QWidget* FirstControl() const;
  // Told whenever the player turns Listen on or off.
  void SetOnToggled(std::function<void()> toggled) { toggled_ = std::move(toggled); }

 private:
  void Start();
  void OnEnded();
  void Show();

  std::function<CRhythmEngine*()> engine_;
  std::function<void()> toggled_;
  QCheckBox* listen_;
  TapAlongFigureLabel* input_name_;
  QProgressBar* level_;
  TapAlongFigureLabel* hearing_;
  QTimer meter_;  // while listening
  QString failure_;
  // What the listener is told plays: one repetition as it sounds and where its sounds begin,
  // renewed when the output starts anew.
  std::uint64_t followedStart_ = 0;
  std::shared_ptr<const std::vector<std::int16_t>> loop_;
  std::shared_ptr<const std::vector<double>> ownOnsets_;
  // The listener goes after the input that feeds it.
  std::unique_ptr<StrokeListener> listener_;
  std::unique_ptr<PulseInput> input_;
};
