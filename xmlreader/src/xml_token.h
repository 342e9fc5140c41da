// A word of the file: characters collected up to white space or a terminator character, which
// completes the token and is not part of it.
#ifndef CAPREL_XML_TOKEN_H
#define CAPREL_XML_TOKEN_H

#include "xml_object.h"

namespace caprel {

class CXML_Token : public CXML_Object {
  public:
    void Reset() override { ResetWith({}); }
    // Reset with characters that end the token besides white space.
    void ResetWith(std::string_view terminators);
    int Parse(CXML_ParseChar& reader) override;

    const std::string& GetText() const { return text_; }
    // Takes the character into the text and completes the token at once.
    void CompleteWith(char c);

  private:
    std::string text_;
    std::string_view terminators_;
};

}  // namespace caprel

#endif  // CAPREL_XML_TOKEN_H
