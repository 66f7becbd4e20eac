// The panel file's layout as a view that lays out itself reads and places it:
// the real panel file, placed with every widget of one made-up size.
#include "panel_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace {

using rt::Box;
using rt::LayoutNode;
using rt::LayoutWidget;
using rt::Placement;

constexpr int kWidgetWidth = 100;
constexpr int kWidgetHeight = 20;

rt::PanelLayout panel_layout() {
  std::ifstream file(KOVO_PANEL_FILE);
  return rt::read_panel_layout(file);
}

rt::Size same_size(const LayoutWidget&) { return {kWidgetWidth, kWidgetHeight}; }

const Placement* placed(const std::vector<Placement>& placements, const std::string& name) {
  const auto found = std::find_if(placements.begin(), placements.end(),
                                  [&](const Placement& placement) { return placement.widget->name == name; });
  return found == placements.end() ? nullptr : &*found;
}

bool overlap(const Box& one, const Box& other) {
  return one.x < other.x + other.width && other.x < one.x + one.width && one.y < other.y + other.height &&
         other.y < one.y + one.height;
}

TEST(PanelLayout, ReadsTheNestedLayoutsOfThePanelFile) {
  const rt::PanelLayout layout = panel_layout();
  ASSERT_EQ(layout.error, "");
  EXPECT_EQ(layout.title, "PC-KovoFlash");
  const LayoutNode& columns = layout.root;
  ASSERT_EQ(columns.kind, LayoutNode::Kind::Row);
  ASSERT_EQ(columns.children.size(), 2u);
  EXPECT_EQ(columns.horizontal_spacing, 14);
  EXPECT_EQ(columns.margins[0], 9) << "a widget's own layout has Qt's margin where the file names none";
  const LayoutNode& steps = columns.children[0];
  EXPECT_TRUE(steps.has_widget) << "the instructions' frame carries its layout";
  EXPECT_EQ(steps.kind, LayoutNode::Kind::Column);
  EXPECT_EQ((std::vector<int>{steps.margins[0], steps.margins[1], steps.margins[2], steps.margins[3]}),
            (std::vector<int>{14, 14, 14, 10}));
  const LayoutNode& controls = columns.children[1];
  EXPECT_EQ(controls.kind, LayoutNode::Kind::Grid);
  EXPECT_EQ(controls.column_stretch, (std::vector<int>{0, 1}));
  EXPECT_EQ(controls.margins[0], 0) << "a layout inside a layout has no margin of its own";
  EXPECT_EQ(controls.vertical_spacing, 8);
}

TEST(PanelLayout, ButtonsKeepTheirShortcutsAndTheTimerIsNeverShown) {
  const rt::PanelLayout layout = panel_layout();
  std::vector<std::pair<std::string, std::string>> shortcuts;
  const LayoutWidget* timer = nullptr;
  std::function<void(const LayoutNode&)> visit = [&](const LayoutNode& node) {
    if (!node.widget.shortcut.empty()) shortcuts.emplace_back(node.widget.name, node.widget.shortcut);
    if (node.widget.name == "PANEL_TIMER") timer = &node.widget;
    for (const LayoutNode& child : node.children) visit(child);
  };
  visit(layout.root);
  EXPECT_EQ(shortcuts,
            (std::vector<std::pair<std::string, std::string>>{
                {"PANEL_CONNECT", "F1"}, {"PANEL_LOAD_FILE", "F2"}, {"PANEL_PROGRAM", "F3"}, {"PANEL_QUIT", "Esc"}}));
  ASSERT_NE(timer, nullptr);
  EXPECT_TRUE(timer->hidden);
  const auto placements = rt::place(layout.root, {0, 0, 2000, 2000}, same_size, 1.0);
  EXPECT_EQ(placed(placements, "PANEL_TIMER"), nullptr);
}

// Placed in its least size and in a larger window, at 100 % and 200 %.
class PanelPlacement : public testing::TestWithParam<std::tuple<int, double>> {};

TEST_P(PanelPlacement, EveryWidgetWithinTheWindowAndNoneOverAnother) {
  const auto [extra, scale] = GetParam();
  const rt::PanelLayout layout = panel_layout();
  const rt::Size least = rt::least_size(layout.root, same_size, scale);
  const Box window{0, 0, least.width + extra, least.height + extra};
  const auto placements = rt::place(layout.root, window, same_size, scale);
  const Placement* frame = placed(placements, "instructions");
  ASSERT_NE(frame, nullptr);
  for (const Placement& one : placements) {
    SCOPED_TRACE(one.widget->name);
    EXPECT_GE(one.box.x, 0);
    EXPECT_GE(one.box.y, 0);
    EXPECT_LE(one.box.x + one.box.width, window.width);
    EXPECT_LE(one.box.y + one.box.height, window.height);
    EXPECT_GE(one.box.height, std::min(kWidgetHeight, one.widget->minimum_height)) << "a widget keeps its height";
    for (const Placement& other : placements) {
      if (&one == &other || &one == frame || &other == frame) continue;
      EXPECT_FALSE(overlap(one.box, other.box)) << "over " << other.widget->name;
    }
  }
  // The quit button sits at the bottom, the spacer above it taking the extra
  // height; the buttons span both grid columns; the stretched column grows.
  const Placement* quit = placed(placements, "PANEL_QUIT");
  const Placement* connect = placed(placements, "PANEL_CONNECT");
  const Placement* ring = placed(placements, "PANEL_COMPORT");
  const Placement* ring_label = placed(placements, "labelComport");
  ASSERT_TRUE(quit && connect && ring && ring_label);
  EXPECT_EQ(quit->box.y + quit->box.height, window.height - static_cast<int>(9 * scale + 0.5));
  EXPECT_EQ(connect->box.x, ring_label->box.x);
  EXPECT_EQ(connect->box.x + connect->box.width, ring->box.x + ring->box.width);
  EXPECT_GE(ring->box.width, kWidgetWidth);
  EXPECT_EQ(ring_label->box.width, kWidgetWidth) << "only the stretched column takes extra width";
}

INSTANTIATE_TEST_SUITE_P(SizesAndScales, PanelPlacement,
                         testing::Combine(testing::Values(0, 300), testing::Values(1.0, 2.0)));

TEST(PanelLayout, AFileWithoutPanelIsAnError) {
  std::istringstream not_xml("<ui><widget");
  EXPECT_NE(rt::read_panel_layout(not_xml).error, "");
  std::istringstream no_panel("<ui version=\"4.0\"></ui>");
  EXPECT_NE(rt::read_panel_layout(no_panel).error, "");
}

} // namespace
