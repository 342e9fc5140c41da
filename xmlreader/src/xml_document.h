// The parsed file: header, DOCTYPE and root element, read line by line and validated against
// the attribute lists of the DTD.
#ifndef CAPREL_XML_DOCUMENT_H
#define CAPREL_XML_DOCUMENT_H

#include <cstdint>
#include <memory>
#include <string>

#include "xml_comment.h"
#include "xml_doctype.h"
#include "xml_element.h"
#include "xml_header.h"
#include "xml_object.h"

namespace caprel {

class CXML_Document : public CXML_Object {
  public:
    // Reads, parses and validates the file; 1 on success, else 0 with the error text set.
    int Open(const char* path, intptr_t callerValue);
    int Parse(CXML_ParseChar& reader) override;
    // Checks every element against the attribute list declared for its name and adds declared
    // defaults; 1 on success.
    int Validate(intptr_t callerValue);

    const CXML_Header* GetHeader() const { return header_.get(); }
    const CXML_DocType* GetDocType() const { return docType_.get(); }
    // Every element, the root in record 0.
    ElementStore& GetElements() { return root_->GetElements(); }

  private:
    int Read(const std::string& content, intptr_t callerValue);
    // Why the document cannot end in its present state; empty when it can.
    std::string UnfinishedConstruct() const;
    int Begin(CXML_Object& construct, std::string_view prefix, CXML_ParseChar& reader, int next);
    int FeedUntilComplete(CXML_Object& construct, CXML_ParseChar& reader, int next);

    std::unique_ptr<CXML_Comment> comment_;
    std::unique_ptr<CXML_Header> header_;
    std::unique_ptr<CXML_DocType> docType_;
    std::unique_ptr<CXML_Element> root_;
};

}  // namespace caprel

#endif  // CAPREL_XML_DOCUMENT_H
