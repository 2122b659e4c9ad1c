#include "framework/Menu.h"

#include "framework/Afx.h"

CMenu::CMenu(std::function<void(unsigned)> onCommand) : onCommand_(std::move(onCommand)) {}

bool CMenu::AppendMenu(unsigned flags, unsigned id, const QString& text) {
  if ((flags & MF_SEPARATOR) != 0) {
    menu_.addSeparator();
    return true;
  }
  QAction* action = menu_.addAction(text);
  action->setData(id);
  QObject::connect(action, &QAction::triggered, [this, id] { onCommand_(id); });
  return true;
}

QAction* CMenu::Find(unsigned id) const {
  for (QAction* action : menu_.actions()) {
    if (!action->isSeparator() && action->data().toUInt() == id) return action;
  }
  return nullptr;
}

int CMenu::CheckMenuItem(unsigned id, unsigned check) {
  QAction* action = Find(id);
  if (action == nullptr) return -1;
  const int previous = action->isChecked() ? MF_CHECKED : MF_UNCHECKED;
  action->setCheckable(true);
  action->setChecked((check & MF_CHECKED) != 0);
  return previous;
}

bool CMenu::CheckMenuRadioItem(unsigned first, unsigned last, unsigned id, unsigned /*flags*/) {
  if (id < first || id > last || Find(id) == nullptr) return false;
  QActionGroup* group = nullptr;
  std::vector<QAction*> members;
  for (QAction* action : menu_.actions()) {
    const unsigned command = action->data().toUInt();
    if (action->isSeparator() || command < first || command > last) continue;
    members.push_back(action);
    if (group == nullptr) group = action->actionGroup();
  }
  // One group per range, made the first time it is checked; Qt draws its items as choices.
  if (group == nullptr) {
    groups_.push_back(std::make_unique<QActionGroup>(nullptr));
    group = groups_.back().get();
    group->setExclusive(true);
  }
  for (QAction* action : members) {
    action->setCheckable(true);
    group->addAction(action);
    action->setChecked(action->data().toUInt() == id);
  }
  return true;
}

void CMenu::Popup(const QPoint& globalPos) {
  menu_.popup(globalPos);
}
