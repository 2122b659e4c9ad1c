#pragma once

#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>

#include "tapalong/ScoredTap.h"
#include "tapalong/TapAlongSession.h"

class CRhythmEngine;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;
class TapAlongFigureLabel;
class TapAlongListening;
class TapAlongLoopPicture;
class TapAlongPad;
class TapAlongTakePicture;

// What the window asks of the main dialog: its engine (null once the program is ending),
// and the main dialog's own start and stop and Beat aid, so that its buttons and its menu's
// check mark follow.
struct TapAlongHost {
  std::function<CRhythmEngine*()> engine;
  std::function<void()> toggleLoop;
  std::function<void(bool)> setBeat;
};

// The "Tap along" window: the player taps along with the loop on a pad, and sees, tap by tap,
// how early or late each was, with the take's figures, two pictures of them and a list of
// the taps. A tool window the main dialog owns; closing it leaves the rest of the program as
// it was.
class TapAlongWindow : public QWidget {
 public:
  static constexpr int kMaxAdjustmentMs = 300;
  static constexpr std::chrono::milliseconds kTapClick{30};

  TapAlongWindow(TapAlongHost host, QWidget* parent);
  ~TapAlongWindow() override;

  // Shows the window, beside its parent the first time, raised and with the pad focused.
  void Open();
  // The loop started or stopped.
  void LoopStateChanged();
  // The host is going: from now on the window touches nothing of it.
  void Detach();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  CRhythmEngine* Engine() const;
  void OnTap(TapAlongSession::Clock::time_point time, TapSource source);
  // The microphone's strokes heard since the last refresh, less the clicks of keys and the
  // mouse: a stroke within kTapClick of a tap is that tap.
  void HearStrokes(const std::optional<LoopClock>& clock, const LoopSettings& settings);
  LoopSettings SettingsOf(const CRhythmEngine& engine) const;
  void Refresh();
  void OnCalibrate();
  void EndCalibration(const std::optional<TapAlongSession::CalibrationResult>& result);
  void OnReset();
  void OnCopy();
  void ShowState();
  void ShowTake();
  QString StatusText(bool playing) const;

  TapAlongHost host_;
  TapAlongSession session_;
  QTimer refresh_;
  bool placed_ = false;
  bool beatBeforeCalibration_ = false;
  QString note_;  // what the last calibration came to
  std::uint64_t shownRevision_ = 0;
  std::size_t listed_ = 0;
  std::array<TapAlongSession::Clock::time_point, 8> recentTaps_{};  // of keys and the mouse
  std::size_t tapCount_ = 0;

  QLabel* status_;
  TapAlongListening* listening_;
  TapAlongPad* pad_;
  TapAlongLoopPicture* loopPicture_;
  TapAlongTakePicture* takePicture_;
  TapAlongFigureLabel* summary_;
  TapAlongFigureLabel* split_;
  std::array<TapAlongFigureLabel*, 6> strokes_;
  QListWidget* taps_;
  QSpinBox* adjustment_;
  QPushButton* calibrate_;
  QPushButton* reset_;
  QPushButton* copy_;
};
