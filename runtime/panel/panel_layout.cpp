#include "panel_layout.h"

#include "panel_document.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <sstream>

namespace rt {
namespace {

using ptree = PanelTree;

constexpr int kWidgetMargin = 9; // Qt's margin of a widget's own layout where the file names none

int number_or(const std::string& text, int fallback) {
  try {
    return text.empty() ? fallback : std::stoi(text);
  } catch (const std::exception&) {
    return fallback;
  }
}

std::vector<int> numbers_of(const std::string& list) {
  std::vector<int> numbers;
  std::istringstream items(list);
  for (std::string item; std::getline(items, item, ',');) numbers.push_back(number_or(item, 0));
  return numbers;
}

// The value of a property: its first element's text (<number>, <string>,
// <enum>, <bool>, <cstring>), or the element itself (<size>).
const ptree* property_value(const ptree& property) {
  for (const auto& [name, child] : property) {
    if (name != kAttributes) return &child;
  }
  return nullptr;
}

void take_widget_property(const std::string& name, const ptree& value, LayoutWidget& widget) {
  const std::string& text = value.data();
  if (name == "ctrlId") widget.id = number_or(text, 0);
  if (name == "text") widget.text = text;
  if (name == "buddy") widget.buddy = text;
  if (name == "shortcut") widget.shortcut = text;
  if (name == "format") widget.format = text;
  if (name == "textVisible" && text == "false") widget.format = "-";
  if (name == "visible" && text == "false") widget.hidden = true;
  if (name == "timerInterval") widget.hidden = true; // a timer is never shown
  if (name == "minimumSize") {
    widget.minimum_width = number_or(value.get("width", std::string()), 0);
    widget.minimum_height = number_or(value.get("height", std::string()), 0);
  }
}

void take_layout_property(const std::string& name, const std::string& text, LayoutNode& layout) {
  if (name == "spacing") layout.horizontal_spacing = layout.vertical_spacing = number_or(text, 6);
  if (name == "horizontalSpacing") layout.horizontal_spacing = number_or(text, 6);
  if (name == "verticalSpacing") layout.vertical_spacing = number_or(text, 6);
  static const char* const margin_names[] = {"leftMargin", "topMargin", "rightMargin", "bottomMargin"};
  for (int side = 0; side < 4; ++side) {
    if (name == margin_names[side]) layout.margins[side] = number_or(text, 0);
  }
}

LayoutNode read_layout(const ptree& element);

// A widget; one holding a layout (a frame) becomes that layout, carrying the widget.
LayoutNode read_widget(const ptree& element) {
  LayoutNode node;
  LayoutWidget widget;
  widget.name = attribute(element, "name");
  widget.widget_class = attribute(element, "class");
  for (const auto& [name, child] : element) {
    if (name == "property") {
      if (const ptree* value = property_value(child)) take_widget_property(attribute(child, "name"), *value, widget);
    } else if (name == "layout") {
      node = read_layout(child);
      for (int& margin : node.margins) {
        if (margin < 0) margin = kWidgetMargin;
      }
    }
  }
  node.widget = widget;
  node.has_widget = true;
  return node;
}

LayoutNode read_spacer(const ptree& element) {
  LayoutNode spacer;
  spacer.kind = LayoutNode::Kind::Spacer;
  for (const auto& [name, child] : element) {
    const ptree* value = name == "property" ? property_value(child) : nullptr;
    if (value && attribute(child, "name") == "orientation") spacer.vertical = value->data() != "Qt::Horizontal";
  }
  return spacer;
}

LayoutNode read_item(const ptree& item) {
  LayoutNode node;
  for (const auto& [name, child] : item) {
    if (name == "widget") node = read_widget(child);
    if (name == "layout") node = read_layout(child);
    if (name == "spacer") node = read_spacer(child);
  }
  for (int& margin : node.margins) margin = std::max(margin, 0); // a layout in a layout has none of its own
  node.row = number_or(attribute(item, "row"), 0);
  node.column = number_or(attribute(item, "column"), 0);
  node.row_span = std::max(1, number_or(attribute(item, "rowspan"), 1));
  node.column_span = std::max(1, number_or(attribute(item, "colspan"), 1));
  return node;
}

LayoutNode read_layout(const ptree& element) {
  LayoutNode layout;
  const std::string layout_class = attribute(element, "class");
  layout.kind = layout_class == "QHBoxLayout"   ? LayoutNode::Kind::Row
                : layout_class == "QGridLayout" ? LayoutNode::Kind::Grid
                                                : LayoutNode::Kind::Column;
  layout.column_stretch = numbers_of(attribute(element, "columnstretch"));
  for (const auto& [name, child] : element) {
    if (name == "property") {
      if (const ptree* value = property_value(child))
        take_layout_property(attribute(child, "name"), value->data(), layout);
    } else if (name == "item") {
      layout.children.push_back(read_item(child));
    }
  }
  // A box's items follow each other; give them their places as a grid's.
  for (std::size_t index = 0; index < layout.children.size(); ++index) {
    if (layout.kind == LayoutNode::Kind::Row) layout.children[index].column = static_cast<int>(index);
    if (layout.kind == LayoutNode::Kind::Column) layout.children[index].row = static_cast<int>(index);
  }
  return layout;
}

bool is_layout(const LayoutNode& node) {
  return node.kind == LayoutNode::Kind::Row || node.kind == LayoutNode::Kind::Column ||
         node.kind == LayoutNode::Kind::Grid;
}

bool is_shown(const LayoutNode& node) { return is_layout(node) || !node.has_widget || !node.widget.hidden; }

bool grows_vertically(const LayoutNode& node) {
  if (node.kind == LayoutNode::Kind::Spacer) return node.vertical;
  return is_layout(node) && std::any_of(node.children.begin(), node.children.end(),
                                        [](const auto& child) { return grows_vertically(child); });
}

int scaled(int pixels, double scale) { return static_cast<int>(std::lround(pixels * scale)); }

// A layout of any kind as a grid: the least widths of its columns and
// heights of its rows, and which of them are used at all.
struct Tracks {
  std::vector<int> widths, heights;
  std::vector<bool> used_columns, used_rows;
  int horizontal_spacing = 0, vertical_spacing = 0;
  int margins[4] = {0, 0, 0, 0};
};

// Widens the spanned tracks, the last one, until they hold `needed`.
void cover(std::vector<int>& tracks, int first, int span, int needed, int spacing) {
  const int last = first + span - 1;
  const int have = std::accumulate(tracks.begin() + first, tracks.begin() + last + 1, 0) + spacing * (span - 1);
  if (have < needed) tracks[static_cast<std::size_t>(last)] += needed - have;
}

Tracks tracks_of(const LayoutNode& layout, const MeasureWidget& measure, double scale) {
  Tracks tracks;
  tracks.horizontal_spacing = scaled(layout.horizontal_spacing, scale);
  tracks.vertical_spacing = scaled(layout.vertical_spacing, scale);
  for (int side = 0; side < 4; ++side) tracks.margins[side] = scaled(layout.margins[side], scale);
  int columns = 0, rows = 0;
  for (const LayoutNode& child : layout.children) {
    columns = std::max(columns, child.column + child.column_span);
    rows = std::max(rows, child.row + child.row_span);
  }
  tracks.widths.assign(static_cast<std::size_t>(columns), 0);
  tracks.heights.assign(static_cast<std::size_t>(rows), 0);
  tracks.used_columns.assign(static_cast<std::size_t>(columns), false);
  tracks.used_rows.assign(static_cast<std::size_t>(rows), false);
  // Single cells first, then the spanning items widen what they still need.
  for (int pass = 0; pass < 2; ++pass) {
    for (const LayoutNode& child : layout.children) {
      if (!is_shown(child)) continue;
      const bool spans = child.column_span > 1 || child.row_span > 1;
      if (spans != (pass == 1)) continue;
      const Size least = least_size(child, measure, scale);
      cover(tracks.widths, child.column, child.column_span, least.width, tracks.horizontal_spacing);
      cover(tracks.heights, child.row, child.row_span, least.height, tracks.vertical_spacing);
      for (int column = child.column; column < child.column + child.column_span; ++column)
        tracks.used_columns[column] = true;
      for (int row = child.row; row < child.row + child.row_span; ++row) tracks.used_rows[row] = true;
    }
  }
  return tracks;
}

int total(const std::vector<int>& sizes, const std::vector<bool>& used, int spacing) {
  int sum = 0, count = 0;
  for (std::size_t index = 0; index < sizes.size(); ++index) {
    if (!used[index]) continue;
    sum += sizes[index];
    ++count;
  }
  return sum + spacing * std::max(0, count - 1);
}

// Hands `extra` to the tracks by weight (none weighted: to every used one).
void share(std::vector<int>& sizes, const std::vector<bool>& used, std::vector<int> weights, int extra) {
  if (extra <= 0) return;
  weights.resize(sizes.size(), 0);
  for (std::size_t index = 0; index < sizes.size(); ++index) {
    if (!used[index]) weights[index] = 0;
  }
  int weight_sum = std::accumulate(weights.begin(), weights.end(), 0);
  if (weight_sum == 0) {
    for (std::size_t index = 0; index < sizes.size(); ++index) weights[index] = used[index] ? 1 : 0;
    weight_sum = std::accumulate(weights.begin(), weights.end(), 0);
  }
  if (weight_sum == 0) return;
  int given = 0;
  for (std::size_t index = 0; index < sizes.size(); ++index) {
    const int part = extra * weights[index] / weight_sum;
    sizes[index] += part;
    given += part;
  }
  for (std::size_t index = sizes.size(); index-- > 0;) {
    if (weights[index] == 0) continue;
    sizes[index] += extra - given; // the rounding's rest to the last weighted track
    break;
  }
}

std::vector<int> offsets(const std::vector<int>& sizes, const std::vector<bool>& used, int start, int spacing) {
  std::vector<int> starts(sizes.size() + 1, start);
  int position = start;
  bool first = true;
  for (std::size_t index = 0; index < sizes.size(); ++index) {
    if (used[index]) {
      if (!first) position += spacing;
      first = false;
    }
    starts[index] = position;
    position += used[index] ? sizes[index] : 0;
  }
  starts[sizes.size()] = position;
  return starts;
}

void place_into(const LayoutNode& node, Box area, const MeasureWidget& measure, double scale,
                std::vector<Placement>& placements);

void place_layout(const LayoutNode& layout, Box area, const MeasureWidget& measure, double scale,
                  std::vector<Placement>& placements) {
  Tracks tracks = tracks_of(layout, measure, scale);
  const int inner_width = area.width - tracks.margins[0] - tracks.margins[2];
  const int inner_height = area.height - tracks.margins[1] - tracks.margins[3];
  // Extra width: by the columns' stretch, else to every column; extra
  // height: to the rows that hold something growing, else to none.
  share(tracks.widths, tracks.used_columns, layout.column_stretch,
        inner_width - total(tracks.widths, tracks.used_columns, tracks.horizontal_spacing));
  std::vector<int> row_weights(tracks.heights.size(), 0);
  for (const LayoutNode& child : layout.children) {
    if (grows_vertically(child)) row_weights[static_cast<std::size_t>(child.row + child.row_span - 1)] = 1;
  }
  if (std::accumulate(row_weights.begin(), row_weights.end(), 0) > 0) {
    share(tracks.heights, tracks.used_rows, row_weights,
          inner_height - total(tracks.heights, tracks.used_rows, tracks.vertical_spacing));
  }
  const auto xs = offsets(tracks.widths, tracks.used_columns, area.x + tracks.margins[0], tracks.horizontal_spacing);
  const auto ys = offsets(tracks.heights, tracks.used_rows, area.y + tracks.margins[1], tracks.vertical_spacing);
  for (const LayoutNode& child : layout.children) {
    if (!is_shown(child)) continue;
    const auto column_end = static_cast<std::size_t>(child.column + child.column_span - 1);
    const auto row_end = static_cast<std::size_t>(child.row + child.row_span - 1);
    const Box cell{xs[child.column], ys[child.row], xs[column_end] + tracks.widths[column_end] - xs[child.column],
                   ys[row_end] + tracks.heights[row_end] - ys[child.row]};
    place_into(child, cell, measure, scale, placements);
  }
}

void place_into(const LayoutNode& node, Box area, const MeasureWidget& measure, double scale,
                std::vector<Placement>& placements) {
  if (node.has_widget) {
    Box box = area;
    if (!is_layout(node)) {
      // A widget keeps its own height, centred in a taller cell.
      const int height = std::min(area.height, least_size(node, measure, scale).height);
      box.y += (area.height - height) / 2;
      box.height = height;
    }
    placements.push_back({&node.widget, box});
  }
  if (is_layout(node)) place_layout(node, area, measure, scale, placements);
}

} // namespace

PanelLayout read_panel_layout(std::istream& file) {
  PanelLayout result;
  const PanelDocument document = read_panel_document(file);
  if (!document.error.empty()) {
    result.error = document.error;
    return result;
  }
  const ptree* panel = nullptr;
  if (!document.tree.empty()) panel = document.tree.front().second.get_child_optional("widget").get_ptr();
  if (panel) {
    for (const auto& [name, child] : *panel) {
      const ptree* value = name == "property" ? property_value(child) : nullptr;
      if (!value) continue;
      if (attribute(child, "name") == "windowTitle") result.title = value->data();
    }
  }
  if (!panel) {
    result.error = "it holds no panel";
    return result;
  }
  result.root = read_widget(*panel);
  result.root.has_widget = false; // the panel is the window, not a widget in it
  if (!is_layout(result.root)) result.error = "the panel has no layout";
  return result;
}

Size least_size(const LayoutNode& node, const MeasureWidget& measure, double scale) {
  if (node.kind == LayoutNode::Kind::Spacer || !is_shown(node)) return {};
  if (!is_layout(node)) {
    Size size = measure(node.widget);
    size.width = std::max(size.width, scaled(node.widget.minimum_width, scale));
    size.height = std::max(size.height, scaled(node.widget.minimum_height, scale));
    return size;
  }
  const Tracks tracks = tracks_of(node, measure, scale);
  return {total(tracks.widths, tracks.used_columns, tracks.horizontal_spacing) + tracks.margins[0] + tracks.margins[2],
          total(tracks.heights, tracks.used_rows, tracks.vertical_spacing) + tracks.margins[1] + tracks.margins[3]};
}

std::vector<Placement> place(const LayoutNode& node, Box area, const MeasureWidget& measure, double scale) {
  std::vector<Placement> placements;
  place_into(node, area, measure, scale, placements);
  return placements;
}

} // namespace rt
