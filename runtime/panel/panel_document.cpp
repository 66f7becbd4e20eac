#include "panel_document.h"

#include <boost/property_tree/xml_parser.hpp>

namespace rt {

PanelDocument read_panel_document(std::istream& file) {
  PanelDocument document;
  try {
    boost::property_tree::read_xml(file, document.tree, boost::property_tree::xml_parser::no_comments);
  } catch (const boost::property_tree::xml_parser_error& error) {
    document.error = "line " + std::to_string(error.line()) + ": " + error.message();
  }
  return document;
}

std::string attribute(const PanelTree& element, const char* name) {
  return element.get(PanelTree::path_type(std::string(kAttributes) + '/' + name, '/'), std::string());
}

} // namespace rt
