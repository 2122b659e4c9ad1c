// Every id in ResourceIds.h, read from the header as the build reads it, against what is
// compiled in: an id with nothing of its kind behind it fails here, not in front of a user.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "res/DialogTemplate.h"
#include "res/Resources.h"

namespace {

struct NamedId {
  std::string name;
  int id;
};

std::vector<NamedId> IdsInTheHeader() {
  std::ifstream header(TOCOLO_RESOURCE_IDS_HEADER);
  const std::regex definition(R"(^inline constexpr (int|unsigned) (ID\w+) = (\w+);)");
  std::vector<NamedId> ids;
  for (std::string line; std::getline(header, line);) {
    std::smatch m;
    if (std::regex_search(line, m, definition)) ids.push_back({m[2], std::stoi(m[3], nullptr, 0)});
  }
  return ids;
}

bool StartsWith(const std::string& s, const char* prefix) {
  return s.rfind(prefix, 0) == 0;
}

TEST(ResourceIds, EachIdInTheHeaderHasAResourceOfItsKind) {
  const std::vector<NamedId> ids = IdsInTheHeader();
  ASSERT_GE(ids.size(), 30u) << "the header was not read";

  std::vector<const DialogTemplate*> dialogs;
  for (const NamedId& d : ids) {
    if (StartsWith(d.name, "IDD_")) dialogs.push_back(res::FindDialogTemplate(d.id));
  }
  auto inATemplate = [&](int id) {
    for (const DialogTemplate* d : dialogs) {
      if (d == nullptr) continue;
      for (const ControlTemplate& c : d->controls) {
        if (c.id == id) return true;
      }
    }
    return false;
  };

  std::map<std::pair<std::string, int>, std::string> taken;  // (kind, id) to its name
  for (const auto& [name, id] : ids) {
    SCOPED_TRACE(name);
    std::vector<std::string_view> types;
    std::string kind;
    if (StartsWith(name, "IDB_")) {
      kind = "bitmap";
      types = {res::kTypeBitmap, res::kTypeBitmap2x, res::kTypeGlyph, res::kTypeGlyph2x};
    } else if (StartsWith(name, "IDR_WAVE_")) {
      kind = "wave";
      types = {res::kTypeWave};
    } else if (StartsWith(name, "IDR_")) {
      kind = "icon";
      types = {res::kTypeIcon};
    } else if (StartsWith(name, "IDS_")) {
      kind = "string";
      types = {res::kTypeString};
    } else if (StartsWith(name, "IDD_")) {
      kind = "dialog";
      EXPECT_NE(res::FindDialogTemplate(id), nullptr);
    } else if (StartsWith(name, "IDC_") || name == "IDOK") {
      kind = "control";
      EXPECT_TRUE(inATemplate(id)) << "no control of a template has it";
    } else {
      // Commands: the close box's answer and the window menu's items have no resource.
      EXPECT_TRUE(name == "IDCANCEL" || StartsWith(name, "IDM_")) << "an id of no known kind";
    }
    for (std::string_view type : types) EXPECT_FALSE(res::FindResource(id, type).empty()) << type;
    if (!kind.empty()) {
      const auto [at, added] = taken.emplace(std::pair(kind, id), name);
      EXPECT_TRUE(added) << "the same " << kind << " id as " << at->second;
    }
  }
}

}  // namespace
