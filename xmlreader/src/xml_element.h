// An element: start tag with attributes, text lines, child elements and comments, end tag.
#ifndef CAPREL_XML_ELEMENT_H
#define CAPREL_XML_ELEMENT_H

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "attribute_set.h"
#include "text_lines.h"
#include "xml_attribute.h"
#include "xml_comment.h"
#include "xml_content_particle.h"
#include "xml_object_array.h"
#include "xml_token.h"

namespace caprel {

class CXML_ArrayContentParticle : public CXML_ObjectArray<CXML_ContentParticle> {};

class CXML_Element : public CXML_ContentParticle {
  public:
    // The deepest nesting a document may have, the root element counting as 1: far beyond any
    // project, and it bounds the memory a hostile file can make the tree take.
    static constexpr size_t kMaxNestingDepth = 1000;
    // The most elements a document may hold, the root included: a project holds a few hundred,
    // and each element costs several hundred bytes in the tree.
    static constexpr size_t kMaxElements = 100000;

    CXML_Element() : CXML_ContentParticle(kElement) {}
    // Takes the tree apart one element at a time, so that deep nesting cannot exhaust the
    // stack, and without allocating, so that it also works when memory has run out.
    ~CXML_Element() override;

    void Reset() override;
    // Feeds the character to the innermost element still open below this one. Nested elements
    // are tracked on a list rather than through calls, so that the depth of the file costs no
    // stack and no time per character.
    int Parse(CXML_ParseChar& reader) override;

    const TextLines& GetLines() const { return lines_; }
    // The file line of the start tag, from 1.
    int GetLineNumber() const { return lineNumber_; }
    const AttributeSet& GetAttributes() const { return attributes_; }
    // The value of the attribute of that exact name.
    std::optional<std::string_view> FindAttribute(std::string_view name) const {
        return attributes_.Find(name);
    }
    // Adds an attribute that validation supplies with its declared default value.
    void AddDefaultedAttribute(const CXML_AttributeDeclaration& declaration) {
        attributes_.AddDefaulted(declaration);
    }

    size_t GetChildCount() const { return children_.GetSize(); }
    // The name of the innermost element still open below this one whose start tag got as far as
    // its name; this element's own name when there is none.
    const std::string& GetOpenElementName() const;
    CXML_Element* GetChildElement(size_t index) const;

  private:
    static constexpr int kChildOpen = 108;

    // This element's own state table for one character.
    int Step(CXML_ParseChar& reader);
    CXML_Token& Token();
    // The start tag is complete: what was kept for reading it is given back.
    void EndStartTag();
    // The child being parsed has completed or failed.
    int ChildFinished();
    // Deletes every element below this one. The elements waiting to be deleted are chained
    // through their own `nextDoomed_`, so taking apart a tree needs no memory.
    void DestroyDescendants();
    // Moves this element's children onto the chain, leaving it childless.
    void ReleaseChildren(CXML_Element*& doomed);

    bool collecting_ = true;
    TextLines lines_;
    AttributeSet attributes_;
    CXML_ArrayContentParticle children_;
    std::unique_ptr<CXML_Comment> comment_;
    std::unique_ptr<CXML_Element> child_;
    // Reads one attribute after the other while the start tag is open.
    std::unique_ptr<CXML_Attribute> attribute_;
    // Reads the tag names; held only while a tag is open.
    std::unique_ptr<CXML_Token> token_;
    // Elements open below this one, outermost first; used on the element fed from outside.
    std::vector<CXML_Element*> open_;
    CXML_Element* nextDoomed_ = nullptr;
    int lineNumber_ = 0;
    // Elements begun below this one; counted on the element fed from outside.
    size_t begun_ = 0;
};

}  // namespace caprel

#endif  // CAPREL_XML_ELEMENT_H
