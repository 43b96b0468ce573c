// The thin layer over the XML DOM component: creating and loading documents, selecting nodes
// by the name tables, and reading and writing attributes. Every DOM call is late bound.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "framework/win/dispatch.h"

namespace config {

// A document or node; unassigned when it holds no object.
using XmlNode = win::DispatchObject;

// A new, empty document that understands XPath queries (translate, "and", "!=").
XmlNode CreateXmlDocument();
// A new document, with the processing instruction "xml" carrying the declaration when it is
// not empty and a root element when the name is not empty.
XmlNode NewXmlDocument(std::wstring_view root_name, std::wstring_view declaration);

// Loads a text into the document. A text the component cannot parse raises error 20023 with
// the parser's reason and position; the document is then left as the component left it, so
// callers load into a document of their own.
void LoadXmlText(XmlNode& document, std::wstring_view text);
// A new document holding the parsed text (error 20023 as above).
XmlNode ParseXmlText(std::wstring_view text);

// A new, not yet attached element named by the element table.
XmlNode CreateNodeElement(XmlNode& document, int index);

// selectNodes for the table entry, its one "%s" (if any) filled with the format argument,
// followed by the suffix. Relative entries start at the context; absolute ones at its
// document.
XmlNode SelectNodesByTag(XmlNode& context, int index, std::wstring_view suffix,
                         std::wstring_view format_argument);
// selectSingleNode for the table entry followed by the suffix (no formatting); unassigned
// when nothing matches.
XmlNode SelectSingleNodeByTag(XmlNode& context, int index, std::wstring_view suffix);
// selectNodes and selectSingleNode with a literal query.
XmlNode SelectNodes(XmlNode& context, std::wstring_view query);
XmlNode SelectSingleNode(XmlNode& context, std::wstring_view query);

// The nodes of a node list, in list order.
std::vector<XmlNode> NodeListItems(XmlNode& list);

// Sets the attributes named by the attribute table to the values (the DOM turns non-text
// values into text). The two spans must be of equal length, else error 20000 before
// anything is set; a bad index at position k leaves the positions before k set.
void SetAttributesByTag(XmlNode& element, std::span<const int> indices,
                        std::span<const VARIANT> values);
void SetAttributeText(XmlNode& element, std::wstring_view name, std::wstring_view value);

// The attribute's text, or the default when it is absent. An unassigned node gives the
// default without looking at the index; a present but empty attribute gives "".
std::wstring GetAttributeByTag(XmlNode& node, int index, std::wstring_view default_text);
std::wstring GetAttributeByName(XmlNode& node, std::wstring_view name,
                                std::wstring_view default_text);
// The attribute read as an integer (TextToInteger); absent or not an integer gives the
// default.
int32_t GetAttributeInteger(XmlNode& node, int index, int32_t default_value);

// An integer with leading blanks and an optional sign, in decimal or, after "$" or "0x", in
// hexadecimal (32 bits); false for anything else or on overflow.
bool TextToInteger(std::wstring_view text, int32_t& value);

// nodeName of a node.
std::wstring XmlNodeName(XmlNode& node);
// The document element; unassigned when the document has none.
XmlNode DocumentElement(XmlNode& document);
// The document's text (the xml property).
std::wstring XmlText(XmlNode& node);
void AppendChild(XmlNode& parent, XmlNode& child);

// The query as sent to the component: the first step of an absolute path gets the explicit
// child axis, which Wine's component needs before a non-ASCII name with a predicate and
// which means the same everywhere.
std::wstring DomQuery(std::wstring_view query);

}  // namespace config
