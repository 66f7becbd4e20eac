// The panel file as an XML tree: read in this one place for each reader of
// the file (the controls the model binds, the layout a view places).
#pragma once

#include <boost/property_tree/ptree.hpp>
#include <istream>
#include <string>

namespace rt {

using PanelTree = boost::property_tree::ptree;

inline constexpr char kAttributes[] = "<xmlattr>"; // the child where the XML reader puts an element's attributes

struct PanelDocument {
  PanelTree tree;
  std::string error; // empty when the file is well-formed XML
};

PanelDocument read_panel_document(std::istream& file);

// The element's attribute, or an empty text.
std::string attribute(const PanelTree& element, const char* name);

} // namespace rt
