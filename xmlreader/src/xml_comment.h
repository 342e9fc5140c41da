// A comment: "<!--", white space, text, "-->".
#ifndef CAPREL_XML_COMMENT_H
#define CAPREL_XML_COMMENT_H

#include "xml_content_particle.h"
#include "xml_token.h"

namespace caprel {

class CXML_Comment : public CXML_ContentParticle {
  public:
    CXML_Comment() : CXML_ContentParticle(kComment) {}

    void Reset() override;
    int Parse(CXML_ParseChar& reader) override;

    const std::string& GetText() const { return text_; }

  private:
    std::string text_;
    CXML_Token token_;
};

}  // namespace caprel

#endif  // CAPREL_XML_COMMENT_H
