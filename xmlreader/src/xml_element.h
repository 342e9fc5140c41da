// An element: start tag with attributes, text lines, child elements and comments, end tag.
#ifndef CAPREL_XML_ELEMENT_H
#define CAPREL_XML_ELEMENT_H

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "element_store.h"
#include "xml_attribute.h"
#include "xml_comment.h"
#include "xml_content_particle.h"
#include "xml_token.h"

namespace caprel {

// The element fed from outside holds the store of the whole tree and one parse state for each
// element open below it; a complete element lives on only as its record in the store.
class CXML_Element : public CXML_ContentParticle {
  public:
    // The deepest nesting a document may have, the root element counting as 1: far beyond any
    // project, and it bounds the memory a hostile file can make the parse states take.
    static constexpr size_t kMaxNestingDepth = 1000;
    // The most elements a document may hold, the root included: a project holds a few hundred.
    static constexpr size_t kMaxElements = 100000;

    CXML_Element();
    // Takes the open elements apart one at a time, so that deep nesting cannot exhaust the
    // stack, and without allocating, so that it also works when memory has run out.
    ~CXML_Element() override;

    void Reset() override;
    // Feeds the character to the innermost element still open below this one. Nested elements
    // are tracked on a list rather than through calls, so that the depth of the file costs no
    // stack and no time per character.
    int Parse(CXML_ParseChar& reader) override;

    // Sizes the store for a document read from a file of that size.
    void ReserveFor(size_t fileSize);
    // The elements read, this one in record 0. An element that never began is stored as one
    // without name, line, attributes or content: the root of an empty document.
    ElementStore& GetElements();
    // The name of the innermost element still open below this one whose start tag got as far as
    // its name; this element's own name when there is none.
    const std::string& GetOpenElementName() const;

  private:
    static constexpr int kChildOpen = 108;

    // An element below another: it writes into the other's store.
    explicit CXML_Element(ElementStore& store);

    // This element's own state table for one character.
    int Step(CXML_ParseChar& reader);
    CXML_Token& Token();
    // The start tag is complete: its name goes into the store.
    void EndStartTag();
    // The end tag is complete.
    int Complete();
    // The child being parsed has completed or failed.
    int ChildFinished();

    std::unique_ptr<ElementStore> ownStore_;
    ElementStore* store_;
    uint32_t record_ = 0;
    bool collecting_ = true;
    std::unique_ptr<CXML_Comment> comment_;
    // The parse state of the child element open now, kept for the next child once it closes.
    std::unique_ptr<CXML_Element> child_;
    // Reads one attribute after the other while the start tag is open.
    std::unique_ptr<CXML_Attribute> attribute_;
    // Reads the tag names.
    std::unique_ptr<CXML_Token> token_;
    // Elements open below this one, outermost first; used on the element fed from outside.
    std::vector<CXML_Element*> open_;
    // Elements begun below this one; counted on the element fed from outside.
    size_t begun_ = 0;
};

}  // namespace caprel

#endif  // CAPREL_XML_ELEMENT_H
