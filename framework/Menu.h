#pragma once

#include <QActionGroup>
#include <QMenu>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "framework/HeldKeyFilter.h"

// A menu of commands; choosing an item reports its command id.
class CMenu {
 public:
  explicit CMenu(std::function<void(unsigned)> onCommand);

  // MF_SEPARATOR appends a separator; MF_STRING an item with `id` and `text`, where & marks
  // the mnemonic.
  bool AppendMenu(unsigned flags, unsigned id = 0, const QString& text = {});
  // Shows a check mark on the item with command `id` (MF_CHECKED) or none (MF_UNCHECKED).
  // Returns the previous state, or -1 when there is no such item.
  int CheckMenuItem(unsigned id, unsigned check);
  // Makes the items with commands `first` to `last` a group of exclusive choices and checks
  // `id` among them. False when `id` is not in the group.
  bool CheckMenuRadioItem(unsigned first, unsigned last, unsigned id,
                          unsigned flags = 0 /* MF_BYCOMMAND */);
  // Opens the menu at a screen position.
  void Popup(const QPoint& globalPos);

 private:
  QAction* Find(unsigned id) const;

  QMenu menu_;
  // A key already down as the menu opens chooses nothing in it.
  HeldKeyFilter heldKeys_{menu_};
  std::vector<std::unique_ptr<QActionGroup>> groups_;
  std::function<void(unsigned)> onCommand_;
};
