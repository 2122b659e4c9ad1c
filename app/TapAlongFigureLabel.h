#pragma once

#include <QLabel>

// A line of figures that a screen reader reads: its accessible name says what the figures
// are ("Timing summary"), and the figures themselves are its accessible description, each
// change announced. Qt 6.4's QLabel, once it has a name of its own, shows assistive
// technology neither its text nor a change of it.
class TapAlongFigureLabel : public QLabel {
 public:
  TapAlongFigureLabel(const QString& name, QWidget* parent);
  void SetFigures(const QString& figures);
};
