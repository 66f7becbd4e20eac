// The panel file's nested layout as a tree, for views that place their
// controls themselves: rows, columns and grids with their spacing, margins
// and stretch, and the widgets in them with what a view needs to size them.
// Sizes are in the file's pixels (96 per inch); the view scales them.
#pragma once

#include <functional>
#include <istream>
#include <string>
#include <vector>

namespace rt {

struct LayoutWidget {
  std::string name;
  std::string widget_class; // as Designer names it: QPushButton, QLabel, ...
  int id = 0;               // the control id; 0 for decoration (frames, lines, labels)
  std::string text;         // the file's text, if any
  std::string buddy;        // a label's: the name of the widget it labels
  std::string shortcut;     // a button's: F1, Esc, ...
  std::string format;       // a progress bar's text: %v value, %p percent; empty: none
  int minimum_width = 0;
  int minimum_height = 0;
  int timer_interval = 0; // a timer's period in ms; a timer is never shown
  bool hidden = false;
};

struct Size {
  int width = 0;
  int height = 0;
};

struct Box {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

struct LayoutNode {
  enum class Kind { Widget, Spacer, Row, Column, Grid };
  Kind kind = Kind::Widget;
  // Where a grid's child sits.
  int row = 0;
  int column = 0;
  int row_span = 1;
  int column_span = 1;
  // A widget, or a frame widget holding a layout (then also children).
  LayoutWidget widget;
  bool has_widget = false;
  bool vertical = true; // a spacer's direction
  // A layout's.
  int horizontal_spacing = 6; // Qt's defaults where the file names none
  int vertical_spacing = 6;
  int margins[4] = {0, 0, 0, 0}; // left, top, right, bottom
  std::vector<int> column_stretch;
  std::vector<LayoutNode> children;
};

struct PanelLayout {
  std::string title;
  LayoutNode root; // the panel's own layout; its widget is the panel
  std::string error;
};

// The layout of the file's panel (its top widget), or an error.
PanelLayout read_panel_layout(std::istream& file);

// What a shown widget needs at least, in the view's pixels.
using MeasureWidget = std::function<Size(const LayoutWidget&)>;

struct Placement {
  const LayoutWidget* widget;
  Box box;
};

// The least size of the node and its children; `scale` turns the file's
// pixels (spacing, margins) into the view's.
Size least_size(const LayoutNode& node, const MeasureWidget& measure, double scale);
// Every shown widget's box when the node fills `area`: extra room goes to
// spacers, to grid columns by their stretch, and to the widgets of a row.
std::vector<Placement> place(const LayoutNode& node, Box area, const MeasureWidget& measure, double scale);

} // namespace rt
