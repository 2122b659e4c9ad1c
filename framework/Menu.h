#pragma once

#include <QMenu>
#include <QString>
#include <functional>

// A menu of commands; choosing an item reports its command id.
class CMenu {
 public:
  explicit CMenu(std::function<void(unsigned)> onCommand);

  // MF_SEPARATOR appends a separator; MF_STRING an item with `id` and `text`, where & marks
  // the mnemonic.
  bool AppendMenu(unsigned flags, unsigned id = 0, const QString& text = {});
  // Opens the menu at a screen position.
  void Popup(const QPoint& globalPos);

 private:
  QMenu menu_;
  std::function<void(unsigned)> onCommand_;
};
