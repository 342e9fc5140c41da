// What an element's content holds: a child element or a comment.
#ifndef CAPREL_XML_CONTENT_PARTICLE_H
#define CAPREL_XML_CONTENT_PARTICLE_H

#include <cstdint>

#include "xml_object.h"

namespace caprel {

class CXML_ContentParticle : public CXML_Object {
  public:
    static constexpr int32_t kElement = 1;
    static constexpr int32_t kComment = 2;

    explicit CXML_ContentParticle(int32_t kind) : kind_(kind) {}
    int32_t GetKind() const { return kind_; }

  private:
    int32_t kind_;
};

}  // namespace caprel

#endif  // CAPREL_XML_CONTENT_PARTICLE_H
