// The XML header: "<?xml", white space, text, "?>".
#ifndef CAPREL_XML_HEADER_H
#define CAPREL_XML_HEADER_H

#include "xml_object.h"
#include "xml_token.h"

namespace caprel {

class CXML_Header : public CXML_Object {
  public:
    void Reset() override;
    int Parse(CXML_ParseChar& reader) override;

    const std::string& GetText() const { return text_; }

  private:
    std::string text_;
    CXML_Token token_;
};

}  // namespace caprel

#endif  // CAPREL_XML_HEADER_H
