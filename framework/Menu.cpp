#include "framework/Menu.h"

#include "framework/Afx.h"

CMenu::CMenu(std::function<void(unsigned)> onCommand) : onCommand_(std::move(onCommand)) {}

bool CMenu::AppendMenu(unsigned flags, unsigned id, const QString& text) {
  if ((flags & MF_SEPARATOR) != 0) {
    menu_.addSeparator();
    return true;
  }
  QAction* action = menu_.addAction(text);
  QObject::connect(action, &QAction::triggered, [this, id] { onCommand_(id); });
  return true;
}

void CMenu::Popup(const QPoint& globalPos) {
  menu_.popup(globalPos);
}
